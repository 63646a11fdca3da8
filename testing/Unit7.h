#pragma once

#include <QStringList>
#include <QUrl>

#include "controls/Form.h"
#include "ui_Unit7.h"

// The test results window: the results text, which can be printed, a fixed mail message to the
// course team, and "Ok", which ends the test.
class TForm7 : public TForm, public Ui::TForm7 {
    Q_OBJECT

public:
    TForm7();

    // Writes a finished test's results, one line per memo line, and shows the window beside the
    // testing window without blocking it.
    void ShowResults(const QString& caption, const QStringList& lines);

    void BitBtn1Click();  // "Ok"
    void Button1Click();  // "Отправить"
    void Button2Click();  // "Печать"

protected:
    void TranslateTexts() override;
};

// The message "Отправить" starts; the same whatever the results.
QUrl ResultsMailUrl();
