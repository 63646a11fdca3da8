#pragma once

#include "controls/Form.h"
#include "ui_Unit6.h"

// The user register, shared by both languages: the users in a grid, an edit box for the current user's
// name and a navigator, all on the register's one cursor, whose row is the current user record. A
// double-click shows the current user in the main window that opened the register (Tag 1: Form2, any
// other: Form8) and closes the register; so does Enter on the grid.
class TForm6 : public TForm, public Ui::TForm6 {
    Q_OBJECT

public:
    TForm6();

    void FormCreate() override;

    void DBGrid1DblClick();
    void Button1Click();  // "X"

protected:
    void FormShow() override;
    void TranslateTexts() override;

private:
    bool shownBefore_ = false;
};
