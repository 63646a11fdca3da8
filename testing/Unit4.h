#pragma once

#include "Form.h"

// The testing window: twenty consecutive questions of the chosen language's bank.
class TForm4 : public TForm {
    Q_OBJECT

public:
    TForm4();
    // Binds the question and answer displays to the data module's question bank once it exists.
    void BindDataSources();
};
