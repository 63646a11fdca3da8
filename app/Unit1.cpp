#include "Unit1.h"

#include <QApplication>
#include <QTimer>

#include "BrowserWarmUp.h"
#include "WindowSet.h"
#include "app/trace/Trace.h"
#include "content/MainForm.h"
#include "content/Viewer.h"
#include "controls/Pictures.h"
#include "data/Unit5.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"
#include "platform/WaitCursor.h"
#include "translations/Translations.h"

using platform::handler;

TForm1::TForm1() {
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_StyledBackground);
    setPlacement(Placement::CentreOnScreen);
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6}) label->adjustSize();
    LoadEmblem(Image1);

    connect(SpeedButton1, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton1Click));
    connect(SpeedButton2, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton2Click));
    connect(SpeedButton3, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton3Click));
    connect(Image1, &Image::mouseDown, this, handler(this, &TForm1::Image1MouseDown));

    // Tab reaches "Kaz", "Rus" and "Выход" in that order, but no key chooses a language before Tab
    // does: the window itself holds the keyboard when it appears.
    for (QToolButton* button : {SpeedButton2, SpeedButton1, SpeedButton3}) platform::PressableByKeyboard(button);
    setFocus();
    TranslateTexts();
}

void TForm1::TranslateTexts() {
    platform::SetAccessibleTexts(SpeedButton2, tr("Kaz — Kazakh language"), tr("Study in Kazakh"));
    platform::SetAccessibleTexts(SpeedButton1, tr("Rus — Russian language"), tr("Study in Russian"));
    platform::SetAccessibleTexts(SpeedButton3, tr("Exit"), tr("Close the textbook"));
}

void TForm1::FormCreate() { ContentRoot = platform::desktop().currentDirectory(); }

void TForm1::ChooseLanguage(Language language) {
    // From the press on, the program speaks the language chosen: a database that cannot be opened
    // is reported in it already.
    translations::useLanguage(language == Language::Kazakh ? QLocale::Kazakh : QLocale::Russian);
    TMainForm* main = MainWindow(language);
    {
        // A lab server may take seconds to answer.
        platform::WaitCursor waiting;
        DataModule5->OpenCourseDatabase(language);
        DataModule5->ShowCurrentUser(main->StatusBar1);
        hide();
        main->show();
    }
    // The chosen language's viewer starts its page once the main window is up.
    QTimer::singleShot(0, main, [main] {
        if (BrowserWarmUpEnabled()) {
            main->Viewer()->WarmUp();
            ReleaseBrowserWarmUp();
        }
    });
}

void TForm1::SpeedButton1Click() { ChooseLanguage(Language::Russian); }

void TForm1::SpeedButton2Click() { ChooseLanguage(Language::Kazakh); }

void TForm1::SpeedButton3Click() { close(); }

void TForm1::Image1MouseDown() { platform::desktop().startSystemMove(this); }

void TForm1::paintEvent(QPaintEvent* event) {
    TForm::paintEvent(event);
    if (painted_) return;
    painted_ = true;
    TraceEvent("language-window-painted");
    // The first frame is on screen: now the browser engine may start.
    QTimer::singleShot(0, this, [] { StartBrowserEngine(); });
}

void TForm1::FormClose() {
    // The controlling window: closing it, shown or hidden, ends the program.
    QCoreApplication::quit();
}
