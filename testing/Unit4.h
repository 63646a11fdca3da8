#pragma once

#include <QElapsedTimer>
#include <array>
#include <functional>
#include <random>

#include "content/rules/ContentRules.h"
#include "controls/Form.h"
#include "data/cursor/TestResults.h"
#include "ui_Unit4.h"

// Where a test was started from, kept as the testing window's Tag: the window hidden while the test
// runs and shown again when the testing window closes.
enum TestOrigin {
    RussianMainWindow = 2,  // Form2
    RussianViewer = 3,      // Form3
    KazakhMainWindow = 4,   // Form8
    KazakhViewer = 5,       // Form9
};

// The testing window: twenty consecutive questions of the chosen language's bank, answered by
// clicking an answer text, then scored into the results window. Whichever of its controls has the
// focus, keys do what clicks do: 1-5, A-E and the Cyrillic А-Д answer (a key held down answers once),
// Left or PgUp is "<", Right or PgDn is ">", Ctrl+Enter finishes.
//
// The test's state is kept here for the whole run: the window start (bank number of the first
// question), the current question number (bank number of the row under the bank's cursor, the
// slot the next answer fills) and the answer sheet of 400 slots indexed by bank number. Every
// step moves the cursor and the current question number together.
class TForm4 : public TForm, public Ui::TForm4 {
    Q_OBJECT

public:
    TForm4();
    // Binds the question and answer displays to the data module's question bank once it exists.
    void BindDataSources();

    void SpeedButton1Click();   // "<"
    void SpeedButton2Click();   // ">"
    void DBText2Click();        // answer "a"
    void DBText3Click();        // answer "b"
    void DBText4Click();        // answer "c"
    void DBText5Click();        // answer "d"
    void DBText6Click();        // answer "e"
    void SpeedButton20Click();  // finish and score

protected:
    void FormShow() override;
    void FormHide() override;
    void TranslateTexts() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kQuestions = 20;
    static constexpr int kSlots = 400;

    bool kazakh() const { return Tag == KazakhMainWindow || Tag == KazakhViewer; }
    void Answer(const QString& letter);
    // The click a key stands for; false for a key the window leaves to its controls.
    bool KeyCommand(const QKeyEvent* key);
    void ShowCounter(int position);
    QString& Slot(int number);
    void WipeAnswerSheet();
    // The finished test as the teacher's record keeps it.
    TestResult FinishedTest(int score);

    int windowStart_ = 0;
    QElapsedTimer sinceShown_;  // how long the test took
    int current_ = 0;
    std::array<QString, kSlots + 1> answerSheet_;  // slot 0 unused: slots go by bank number 1..400
};

// Starts a test in a language: from its main window when that is visible, else from its content
// viewer. The window started from is hidden and shown again when the testing window closes.
void StartTest(Language language);

// The window start of a new test, uniform over 1..379: the twentieth question is then at most 398
// and the row after it, where the last answer leaves the cursor, at most 399.
int DrawWindowStart(std::mt19937& generator);
// Where each showing of the testing window takes its window start from. By default a generator
// reseeded from the clock at every showing; tests put a fixed start. An empty function restores
// the default.
void SetWindowStartSource(std::function<int()> source);
