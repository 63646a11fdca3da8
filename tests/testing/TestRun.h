#pragma once

// Driving the testing window the way a student does: choose a language, start a test with a
// fixed window start, click answers and arrows, finish.
#include <unistd.h>

#include <QtTest>

#include "app/Unit1.h"
#include "app/WindowSet.h"
#include "data/controls/DBMemo.h"
#include "data/controls/DBText.h"
#include "platform/RecordingDesktop.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "tests/common/Fixture.h"

namespace testrun {

// Every test started while this lives begins at the given bank number.
class FixedWindowStart {
public:
    explicit FixedWindowStart(int start) {
        SetWindowStartSource([start] { return start; });
    }
    ~FixedWindowStart() { SetWindowStartSource({}); }
    FixedWindowStart(const FixedWindowStart&) = delete;
    FixedWindowStart& operator=(const FixedWindowStart&) = delete;
};

// The viewers hold a browser pane, whose engine refuses to start as root with its sandbox on; the
// program turns it off the same way at start-up.
inline void AllowBrowserAsRoot() {
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

// The language window's choice: opens the language's bank and shows its main window.
inline void ChooseLanguage(Language language) {
    Form1->show();
    (language == Language::Russian ? Form1->SpeedButton1 : Form1->SpeedButton2)->click();
}

// Clicks the answer text of a letter, "a" to "e", as the mouse does.
inline void ClickAnswer(QChar letter) {
    DBText* const answers[] = {Form4->DBText2, Form4->DBText3, Form4->DBText4, Form4->DBText5, Form4->DBText6};
    const int index = letter.unicode() - u'a';
    QVERIFY2(index >= 0 && index < 5, "not an answer letter");
    QTest::mouseClick(answers[index], Qt::LeftButton, {}, QPoint(5, 5));
}

inline void Previous() { Form4->SpeedButton1->click(); }
inline void Next() { Form4->SpeedButton2->click(); }
inline void Finish() { Form4->SpeedButton20->click(); }

// Goes through the test from its first question: a letter answers the position (which moves on),
// "." passes it with ">". A 21st letter answers the row after the question window.
inline void AnswerPattern(const QString& pattern) {
    for (const QChar c : pattern) {
        if (c == u'.')
            Next();
        else
            ClickAnswer(c);
    }
}

// A whole test from the language's main window at a fixed window start: answered as AnswerPattern
// says, and finished with Yes to the warning where one comes. The results stay on show.
inline void TakeTest(platform::RecordingDesktop& desktop, Language language, int start, const QString& pattern) {
    const FixedWindowStart fixed(start);
    StartTest(language);
    AnswerPattern(pattern);
    desktop.answers = {true};
    Finish();
    desktop.answers.clear();
}

// The question on screen and the counter, as "Вопрос 7 | 2 из 20".
inline QString Shown() { return Form4->DBMemo1->toPlainText() + QStringLiteral(" | ") + Form4->Label1->text(); }

// The results window's memo, line by line.
inline QStringList ResultLines() {
    const QString text = Form7->Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace testrun

Q_DECLARE_METATYPE(Language)
