#include "MainForm.h"

#include <QGroupBox>
#include <QTextEdit>
#include <QToolButton>

#include "Unit2.h"
#include "Unit3.h"
#include "Unit8.h"
#include "Unit9.h"
#include "app/Unit1.h"
#include "app/WindowSet.h"
#include "app/trace/Trace.h"
#include "content/rules/CourseOutline.h"
#include "controls/Image.h"
#include "controls/Pictures.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "controls/WindowShape.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"
#include "testing/Unit4.h"

using platform::handler;

TMainForm::TMainForm(const MainWindowLanguage& language) : Variant(language) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setPlacement(Placement::CentreOverAnchor);
}

void TMainForm::bindControls(const MainWindowControls& controls) {
    static_cast<MainWindowControls&>(*this) = controls;

    // The background lies beneath every other control.
    Image1->lower();
    LoadEmblem(Image2);
    fillChapterTree();
    nameControls();
    // The window's buttons take the keyboard from Tab only; the chapter tree has it when the window
    // first appears, as it always had.
    for (QToolButton* button : {test5, SpeedButton1, CloseButton}) platform::PressableByKeyboard(button);
    TreeView1->setFocus();

    connect(CloseButton, &QToolButton::clicked, this, handler(this, &TMainForm::SpeedButton2Click));
    connect(SpeedButton1, &QToolButton::clicked, this, handler(this, &TMainForm::SpeedButton1Click));
    connect(test5, &QToolButton::clicked, this, handler(this, &TMainForm::test5Click));
    connect(StatusBar1, &StatusBar::mouseMoved, this, handler(this, &TMainForm::StatusBar1MouseMove));
    connect(TreeView1, &TreeView::doubleClicked, this, handler(this, &TMainForm::TreeView1DblClick));
    // Enter on an entry opens it as a double-click does (the week's expansion is the arrows' work).
    connect(TreeView1, &TreeView::enterPressed, this, handler(this, &TMainForm::TreeView1DblClick));
    connect(Image1, &Image::mouseDown, this, handler(this, &TMainForm::Image1MouseDown));
    connect(Image2, &Image::mouseDown, this, handler(this, &TMainForm::Image1MouseDown));
}

void TMainForm::fillChapterTree() {
    const QList<QIcon> pictures = TreePictures();
    auto icon = [&pictures](int normal, int selected) {
        QIcon both = pictures.value(normal);
        both.addPixmap(pictures.value(selected).pixmap(16, 16), QIcon::Selected);
        return both;
    };
    for (const ChapterEntry& entry : ChapterTree(Variant.language)) {
        auto* top = new QTreeWidgetItem(TreeView1, {entry.label});
        top->setIcon(0, icon(entry.normalPicture, entry.selectedPicture));
        top->setFlags(top->flags() | Qt::ItemIsEditable);
        for (const ChapterItem& item : entry.items) {
            auto* child = new QTreeWidgetItem(top, {item.label});
            child->setIcon(0, icon(item.normalPicture, item.selectedPicture));
            child->setFlags(child->flags() | Qt::ItemIsEditable);
        }
    }
    TreeView1->collapseAll();
}

void TMainForm::nameControls() {
    const MainWindowNames& names = Variant.names;
    platform::SetAccessibleTexts(TreeView1, names.tree, names.treeDescription);
    platform::SetAccessibleTexts(test5, names.testButton, names.testButtonDescription);
    platform::SetAccessibleTexts(SpeedButton1, names.registerButton, names.registerButtonDescription);
    platform::SetAccessibleTexts(CloseButton, names.closeButton, names.closeButtonDescription);
    platform::SetAccessibleTexts(TitlePage, names.titlePage, QString());
}

TMainForm* MainWindow(Language language) {
    return language == Language::Russian ? static_cast<TMainForm*>(Form2) : Form8;
}

TViewer* TMainForm::Viewer() const {
    return Variant.language == Language::Russian ? static_cast<TViewer*>(Form3) : Form9;
}

void TMainForm::FormCreate() {
    ContentRoot = platform::desktop().currentDirectory();
    ShapeWindow(this, Image1, QStringLiteral(":/images/background2.jpg"), QStringLiteral(":/images/DW1.bmp"));
}

void TMainForm::TreeView1DblClick() {
    QTreeWidgetItem* selected = TreeView1->currentItem();
    if (!selected) return;  // nothing chosen yet: nothing to open
    QTreeWidgetItem* top = selected->parent() ? selected->parent() : selected;
    const QString page = top->text(0);
    TViewer* viewer = Viewer();
    if (selected == top) {
        viewer->ShowPage(PageAddress(ContentRoot, Variant.language, page));
    } else {
        const int position = top->indexOfChild(selected) + 1;  // the position, not the number in the label
        if (page == VideoRootLabel(Variant.language)) {
            PlayVideo(ContentRoot, position);
            return;
        }
        viewer->ShowPage(SectionAddress(ContentRoot, Variant.language, page, position));
    }
    DataModule5->RecordChapter(selected->text(0));
    DataModule5->ShowCurrentUser(StatusBar1);
    viewer->show();
    hide();
}

void TMainForm::SpeedButton1Click() {
    Form6->show();
    Form6->Tag = Variant.registerTag;
}

void TMainForm::SpeedButton2Click() { close(); }

void TMainForm::test5Click() { StartTest(Variant.language); }

void TMainForm::StatusBar1MouseMove() {
    StatusBar1->setToolTip(StatusBar1->panelText(2) + QStringLiteral(" - ") + StatusBar1->panelText(4));
}

void TMainForm::Image1MouseDown() { platform::desktop().startSystemMove(this); }

void TMainForm::paintEvent(QPaintEvent* event) {
    TForm::paintEvent(event);
    if (!painted_) TraceEvent("main-window-painted");
    painted_ = true;
}

void TMainForm::FormClose() {
    // Closing a main window ends the program, through the controlling window.
    Form1->close();
}
