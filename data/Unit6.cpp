#include "Unit6.h"

#include "Unit5.h"
#include "app/WindowSet.h"
#include "content/MainForm.h"
#include "controls/WindowShape.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"

using platform::handler;

TForm6::TForm6() {
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setPlacement(Placement::CentreOverAnchor);
    // The data module is created before this window.
    if (DataModule5) {
        DBGrid1->setDataSource(DataModule5->DataSource2);
        DBEdit1->setDataSource(DataModule5->DataSource2);
        DBNavigator1->setDataSource(DataModule5->DataSource2);
    }
    connect(DBGrid1, &DBGrid::dblClick, this, handler(this, &TForm6::DBGrid1DblClick));
    connect(DBGrid1, &DBGrid::enterPressed, this, handler(this, &TForm6::DBGrid1DblClick));
    connect(Button1, &QPushButton::clicked, this, handler(this, &TForm6::Button1Click));
    platform::PressableByKeyboard(Button1);
    TranslateTexts();
}

void TForm6::TranslateTexts() {
    platform::SetAccessibleTexts(DBGrid1, tr("User list"),
                                 tr("Enter or a double-click chooses the current user; Insert adds a record, "
                                    "Ctrl+Delete deletes it; Ctrl+Tab goes to the name field"));
    platform::SetAccessibleTexts(DBEdit1, tr("User name"), tr("The current user's name"));
    platform::SetAccessibleTexts(Button1, tr("Close"), tr("Close the registration window"));
}

void TForm6::FormCreate() {
    ShapeWindow(this, Image1, QStringLiteral(":/images/background4.jpg"), QStringLiteral(":/images/DW3.bmp"));
}

void TForm6::FormShow() {
    if (shownBefore_) return;
    shownBefore_ = true;
    DBGrid1->setFocus();
}

void TForm6::DBGrid1DblClick() {
    // Neither stores nor moves: the current row is shown as it is, a pending name included.
    TMainForm* opener = MainWindow(Tag == 1 ? Language::Russian : Language::Kazakh);
    DataModule5->ShowCurrentUser(opener->StatusBar1);
    close();
}

void TForm6::Button1Click() { close(); }
