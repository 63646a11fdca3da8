#pragma once

#include "Form.h"

// The user register window, shared by both languages.
class TForm6 : public TForm {
    Q_OBJECT

public:
    TForm6();
};
