#include "MainForm.h"

#include <QToolButton>

#include "Desktop.h"
#include "Handler.h"
#include "StatusBar.h"
#include "Unit1.h"
#include "WindowSet.h"

using platform::handler;

TMainForm::TMainForm(const MainWindowLanguage& language) : Variant(language) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setPlacement(Placement::CentreOverForm1);
}

void TMainForm::bindControls() {
    StatusBar1 = findChild<StatusBar*>(QStringLiteral("StatusBar1"));
    CloseButton = findChild<QToolButton*>(QString::fromLatin1(Variant.closeButton));
    Q_ASSERT(StatusBar1 && CloseButton);
    connect(CloseButton, &QToolButton::clicked, this, handler(this, &TMainForm::SpeedButton2Click));
    connect(StatusBar1, &StatusBar::mouseMoved, this, handler(this, &TMainForm::StatusBar1MouseMove));
}

void TMainForm::FormCreate() { ContentRoot = platform::desktop().currentDirectory(); }

void TMainForm::SpeedButton2Click() { close(); }

void TMainForm::StatusBar1MouseMove() {
    StatusBar1->setToolTip(StatusBar1->panelText(2) + QStringLiteral(" - ") + StatusBar1->panelText(4));
}

void TMainForm::FormClose() {
    // Closing a main window ends the program, through the controlling window.
    Form1->close();
}
