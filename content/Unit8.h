#pragma once

#include "MainForm.h"
#include "ui_Unit8.h"

// The Kazakh main window.
class TForm8 : public TMainForm {
    Q_OBJECT

public:
    TForm8();

private:
    Ui::TForm8 ui;
};
