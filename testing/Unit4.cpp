#include "Unit4.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QStringList>
#include <QSysInfo>
#include <chrono>

#include "Unit7.h"
#include "app/WindowSet.h"
#include "content/MainForm.h"
#include "content/Viewer.h"
#include "data/Unit5.h"
#include "data/cursor/DataSet.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"
#include "platform/WaitCursor.h"
#include "platform/failure/Failure.h"

using platform::handler;

namespace {

constexpr int kFirstStart = 1;
constexpr int kLastStart = 379;

// The texts of one language. The Kazakh ones keep the letters the course has always shown.
struct TestingTexts {
    QString questionCaption;
    QString alreadyAnswered;
    QString notAllAnswered;
    QString resultsCaption;
    // The score line has two forms in Kazakh: one when some question is unanswered, one when none is.
    QString scoreSomeUnanswered[2];
    QString scoreAllAnswered[2];
    QString wrongAnswers;
    QString unanswered;
};

const TestingTexts& Texts(bool kazakh) {
    static const TestingTexts russian{
        QStringLiteral("Предупреждение"),
        QStringLiteral("Вы уже ответили на этот вопрос, хотите заменить"),
        QStringLiteral("Вы не ответили на несколько вопросов, продолжить"),
        QStringLiteral("Итоги теста"),
        {QStringLiteral("В тестировании набрали - "), QStringLiteral(" баллов")},
        {QStringLiteral("В тестировании набрали - "), QStringLiteral(" баллов")},
        QStringLiteral("Неправильно ответили на следующие вопросы "),
        QStringLiteral("Не ответили на следующие вопросы "),
    };
    static const TestingTexts kazakhTexts{
        QStringLiteral("Ескерту"),
        QStringLiteral("Сіздер жауап бердіѕіздер мынауды сўраќ, ауыстыруды ќалаѕыздар"),
        QStringLiteral("Сіздер жауап бермедіѕіздер бірнеше сўраќтыѕ , жалєастыру"),
        QStringLiteral("Тесті жиынылары"),
        {QStringLiteral("Тестілеуде сіз  - "), QStringLiteral(" балл алдыѕыз")},
        {QStringLiteral("Тестілеуде теріп алды - "), QStringLiteral(" балдардыѕ")},
        QStringLiteral("Келесі сўраќтарєа сенімсіз жауап берді "),
        QStringLiteral("Келесі сўраќтарєа жауап бермеді "),
    };
    return kazakh ? kazakhTexts : russian;
}

int DrawFromClock() {
    static std::mt19937 generator;
    // A new seed at every showing, so that no two tests of a run need share their questions.
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{std::uint32_t(now), std::uint32_t(std::uint64_t(now) >> 32)};
    generator.seed(seed);
    return DrawWindowStart(generator);
}

std::function<int()>& WindowStartSource() {
    static std::function<int()> source = DrawFromClock;
    return source;
}

DataSet& Bank() { return *DataModule5->ADOTable1; }

void LocateQuestion(int number) {
    // A bank without that number leaves the cursor where it was.
    Bank().locate(QStringLiteral("num"), number);
}

// The answer a typed character chooses, by its place: 0 for "a", 1 for "b" ... 4 for "e"; -1 for none.
// The Cyrillic letters go by their place in the alphabet, as answers are lettered in Russian: В is
// the third answer, not the second.
int AnswerOfCharacter(const QString& typed) {
    static const QString kKeys[] = {
        QStringLiteral("1aAаА"), QStringLiteral("2bBбБ"), QStringLiteral("3cCвВ"),
        QStringLiteral("4dDгГ"), QStringLiteral("5eEдД"),
    };
    if (typed.size() != 1) return -1;
    for (int answer = 0; answer < 5; ++answer)
        if (kKeys[answer].contains(typed.front())) return answer;
    return -1;
}

// The window a test started from, by the testing window's Tag; none for any other Tag.
QWidget* OriginWindow(int tag) {
    switch (tag) {
        case RussianMainWindow:
            return MainWindow(Language::Russian);
        case RussianViewer:
            return MainWindow(Language::Russian)->Viewer();
        case KazakhMainWindow:
            return MainWindow(Language::Kazakh);
        case KazakhViewer:
            return MainWindow(Language::Kazakh)->Viewer();
        default:
            return nullptr;
    }
}

}  // namespace

int DrawWindowStart(std::mt19937& generator) {
    return std::uniform_int_distribution<int>(kFirstStart, kLastStart)(generator);
}

void SetWindowStartSource(std::function<int()> source) {
    WindowStartSource() = source ? std::move(source) : std::function<int()>(DrawFromClock);
}

TForm4::TForm4() {
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setPlacement(Placement::CentreOverAnchor);

    connect(SpeedButton1, &QToolButton::clicked, this, handler(this, &TForm4::SpeedButton1Click));
    connect(SpeedButton2, &QToolButton::clicked, this, handler(this, &TForm4::SpeedButton2Click));
    connect(DBText2, &DBText::clicked, this, handler(this, &TForm4::DBText2Click));
    connect(DBText3, &DBText::clicked, this, handler(this, &TForm4::DBText3Click));
    connect(DBText4, &DBText::clicked, this, handler(this, &TForm4::DBText4Click));
    connect(DBText5, &DBText::clicked, this, handler(this, &TForm4::DBText5Click));
    connect(DBText6, &DBText::clicked, this, handler(this, &TForm4::DBText6Click));
    connect(SpeedButton20, &QToolButton::clicked, this, handler(this, &TForm4::SpeedButton20Click));

    for (QToolButton* button : {SpeedButton1, SpeedButton2, SpeedButton20}) platform::PressableByKeyboard(button);
    // The window's keys reach it from whichever control has the focus.
    installEventFilter(this);
    for (QWidget* control : findChildren<QWidget*>()) control->installEventFilter(this);
    TranslateTexts();
}

void TForm4::TranslateTexts() {
    const QString keys =
        tr("Keys: 1–5 or A–E (А–Д) answer; ←, → or PgUp, PgDn go to the previous and the next question; Ctrl+Enter "
           "finishes the test");
    Label1->setToolTip(keys);
    platform::SetAccessibleTexts(DBMemo1, tr("Question"), keys);
    const QString latin = QStringLiteral("ABCDE");
    const QString cyrillic = QStringLiteral("АБВГД");
    DBText* const answers[] = {DBText2, DBText3, DBText4, DBText5, DBText6};
    for (int i = 0; i < 5; ++i) {
        const QString tip =
            tr("Answer %1: a click, or the key %1 (%2) or %3").arg(latin.at(i)).arg(cyrillic.at(i)).arg(i + 1);
        answers[i]->setToolTip(tip);
        platform::SetAccessibleTexts(answers[i], tr("Answer %1").arg(latin.at(i)), tip);
    }
    SpeedButton1->setToolTip(tr("Previous question (←, PgUp)"));
    SpeedButton2->setToolTip(tr("Next question (→, PgDn)"));
    platform::SetAccessibleTexts(SpeedButton1, tr("Previous question"), SpeedButton1->toolTip());
    platform::SetAccessibleTexts(SpeedButton2, tr("Next question"), SpeedButton2->toolTip());
    // The finishing button keeps the tooltip the course gave it; its key is in the others'.
    platform::SetAccessibleTexts(SpeedButton20, tr("Finish the test"),
                                 tr("Finish the test and show the results (Ctrl+Enter)"));
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && KeyCommand(static_cast<QKeyEvent*>(event))) return true;
    return TForm::eventFilter(watched, event);
}

bool TForm4::KeyCommand(const QKeyEvent* key) {
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    QAbstractButton* button = nullptr;
    if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Left || key->key() == Qt::Key_PageUp))
        button = SpeedButton1;
    else if (modifiers == Qt::NoModifier && (key->key() == Qt::Key_Right || key->key() == Qt::Key_PageDown))
        button = SpeedButton2;
    else if (modifiers == Qt::ControlModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
        button = SpeedButton20;
    if (button) {
        // Held down, an arrow walks the questions; the finish comes once.
        if (button != SpeedButton20 || !key->isAutoRepeat()) button->click();
        return true;
    }
    if (modifiers & ~Qt::ShiftModifier) return false;
    const int answer = AnswerOfCharacter(key->text());
    if (answer < 0) return false;
    // Held down, an answer key answers one question, not every one after it.
    DBText* const answers[] = {DBText2, DBText3, DBText4, DBText5, DBText6};
    if (!key->isAutoRepeat()) answers[answer]->click();
    return true;
}

void TForm4::BindDataSources() {
    for (DBText* answer : {DBText2, DBText3, DBText4, DBText5, DBText6})
        answer->setDataSource(DataModule5->DataSource1);
    DBMemo1->setDataSource(DataModule5->DataSource1);
}

QString& TForm4::Slot(int number) {
    if (number < 1 || number > kSlots)
        throw platform::Failure(tr("Question number %1 is not on the answer sheet").arg(number));
    return answerSheet_[number];
}

void TForm4::WipeAnswerSheet() {
    for (QString& slot : answerSheet_) slot.clear();
}

void TForm4::ShowCounter(int position) { Label1->setText(QString::number(position) + QStringLiteral(" из 20")); }

void StartTest(Language language) {
    platform::WaitCursor waiting;
    const bool kazakh = language == Language::Kazakh;
    // The origin follows the main window: while its viewer is open the main window is hidden.
    TMainForm* main = MainWindow(language);
    if (main->isVisible()) {
        main->hide();
        Form4->Tag = kazakh ? KazakhMainWindow : RussianMainWindow;
    } else {
        main->Viewer()->hide();
        Form4->Tag = kazakh ? KazakhViewer : RussianViewer;
    }
    if (kazakh) Form4->SpeedButton20->setText(QStringLiteral("Тесті аяќтау"));
    // Each test starts with the keyboard on the question, wherever Tab left it in the last one.
    Form4->DBMemo1->setFocus();
    Form4->show();
}

void TForm4::FormShow() {
    sinceShown_.start();
    windowStart_ = WindowStartSource()();
    current_ = windowStart_;
    // Before a language is chosen no bank is open and there is no row to go to.
    if (Bank().isActive()) LocateQuestion(windowStart_);
    ShowCounter(1);
}

void TForm4::SpeedButton1Click() {
    if (current_ <= windowStart_) return;
    --current_;
    ShowCounter(current_ - windowStart_ + 1);
    Bank().prior();
}

void TForm4::SpeedButton2Click() {
    if (current_ >= windowStart_ + kQuestions - 1) return;
    ++current_;
    Bank().next();
    ShowCounter(current_ - windowStart_ + 1);
}

void TForm4::DBText2Click() { Answer(QStringLiteral("a")); }
void TForm4::DBText3Click() { Answer(QStringLiteral("b")); }
void TForm4::DBText4Click() { Answer(QStringLiteral("c")); }
void TForm4::DBText5Click() { Answer(QStringLiteral("d")); }
void TForm4::DBText6Click() { Answer(QStringLiteral("e")); }

void TForm4::Answer(const QString& letter) {
    const int afterWindow = windowStart_ + kQuestions;
    if (current_ > afterWindow) return;
    QString& slot = Slot(current_);
    if (!slot.isEmpty()) {
        // A second answer to the same question replaces the first only when the student says so;
        // the question stays on screen either way.
        const TestingTexts& texts = Texts(kazakh());
        if (platform::desktop().askYesNo(texts.questionCaption, texts.alreadyAnswered)) slot = letter;
        return;
    }
    slot = letter;
    if (current_ == afterWindow) {
        // The row after the window: the answer is kept but leads nowhere.
        ShowCounter(current_ - windowStart_);
        return;
    }
    ++current_;
    ShowCounter(current_ - windowStart_);
    Bank().next();
}

void TForm4::SpeedButton20Click() {
    const TestingTexts& texts = Texts(kazakh());
    const int s = windowStart_;
    bool someUnanswered = false;
    for (int i = s; i < s + kQuestions; ++i) someUnanswered = someUnanswered || Slot(i).isEmpty();
    if (someUnanswered && !platform::desktop().askYesNo(texts.questionCaption, texts.notAllAnswered)) return;

    LocateQuestion(s);
    int score = 0;
    QString wrong;
    QString unanswered;
    for (int position = 1; position <= kQuestions; ++position) {
        const QString& answer = Slot(s + position - 1);
        // An empty answer to a question stored without one counts as right.
        if (Bank().fieldText(QStringLiteral("otvet")) == answer)
            ++score;
        else if (!answer.isEmpty())
            wrong += QStringLiteral(", ") + QString::number(position);
        if (answer.isEmpty()) unanswered += QStringLiteral(", ") + QString::number(position);
        Bank().next();
    }

    QStringList lines{QStringLiteral("Студент - ") + DataModule5->CurrentUserName()};
    const QString(&scoreLine)[2] = someUnanswered ? texts.scoreSomeUnanswered : texts.scoreAllAnswered;
    lines << scoreLine[0] + QString::number(score) + scoreLine[1];
    lines << texts.wrongAnswers + wrong;
    if (someUnanswered) lines << texts.unanswered + unanswered;
    Form7->ShowResults(texts.resultsCaption, lines);
    const TestResult result = FinishedTest(score);

    WipeAnswerSheet();
    current_ = 1;
    Bank().first();
    // Kept for the teacher once the student has the results: a store the database refuses is an
    // error box over them, and the record waits for the next store.
    DataModule5->RecordTestResult(result);
}

TestResult TForm4::FinishedTest(int score) {
    QString answers;
    for (int i = windowStart_; i < windowStart_ + kQuestions; ++i)
        answers += Slot(i).isEmpty() ? QChar(kNoAnswer) : Slot(i).at(0);
    return TestResult{DataModule5->CurrentUserName(),
                      kazakh() ? QStringLiteral("kaz") : QStringLiteral("rus"),
                      QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                      QSysInfo::machineHostName(),
                      windowStart_,
                      answers,
                      score,
                      int(sinceShown_.elapsed() / 1000)};
}

void TForm4::FormHide() {
    WipeAnswerSheet();
    current_ = 1;
    if (Bank().isActive()) Bank().first();
    if (QWidget* origin = OriginWindow(Tag)) origin->show();
}
