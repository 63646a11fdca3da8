#pragma once

#include "MainForm.h"
#include "ui_Unit2.h"

// The Russian main window.
class TForm2 : public TMainForm {
    Q_OBJECT

public:
    TForm2();

private:
    Ui::TForm2 ui;
};
