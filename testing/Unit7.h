#pragma once

#include "Form.h"

// The test results window.
class TForm7 : public TForm {
    Q_OBJECT

public:
    TForm7();
};
