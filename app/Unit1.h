#pragma once

#include "content/rules/ContentRules.h"
#include "controls/Form.h"
#include "ui_Unit1.h"

// The language window: the first window the user sees and the controlling window; closing it ends
// the program.
class TForm1 : public TForm, public Ui::TForm1 {
    Q_OBJECT

public:
    TForm1();

    QString ContentRoot;

    void FormCreate() override;
    void SpeedButton1Click();  // "Rus"
    void SpeedButton2Click();  // "Kaz"
    void SpeedButton3Click();  // "Выход"
    void Image1MouseDown();

protected:
    void FormClose() override;
    void TranslateTexts() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseLanguage(Language language);

    bool painted_ = false;
};
