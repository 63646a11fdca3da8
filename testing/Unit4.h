#pragma once

#include "ContentRules.h"
#include "Form.h"

// The testing window: twenty consecutive questions of the chosen language's bank.
class TForm4 : public TForm {
    Q_OBJECT

public:
    TForm4();
    // Binds the question and answer displays to the data module's question bank once it exists.
    void BindDataSources();
};

// Starts a test in a language, from its main window when that is visible, else from its viewer.
void StartTest(Language language);
