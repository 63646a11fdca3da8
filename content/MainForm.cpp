#include "MainForm.h"

#include <QGroupBox>
#include <QLabel>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "ReaderSettings.h"
#include "ReadingPlace.h"
#include "SearchWindow.h"
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
    connect(StatusBar1, &StatusBar::panelDoubleClicked, this, [this](int panel) {
        if (panel == 4) platform::runGuarded([this] { ResumeReading(); });
    });
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this,
                handler(this, &TMainForm::ResumeReading));
    AddCourseSearchKey(this, Variant.language);
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
    if (selected == top) {
        openChapter(PageAddress(ContentRoot, Variant.language, page), selected->text(0));
    } else {
        const int position = top->indexOfChild(selected) + 1;  // the position, not the number in the label
        if (page == VideoRootLabel(Variant.language))
            PlayVideo(ContentRoot, position);
        else
            openChapter(SectionAddress(ContentRoot, Variant.language, page, position), selected->text(0));
    }
}

void TMainForm::openChapter(const QString& address, const QString& chapter) {
    TViewer* viewer = Viewer();
    viewer->ShowPage(address);
    DataModule5->RecordChapter(chapter);
    DataModule5->ShowCurrentUser(StatusBar1);
    viewer->show();
    hide();
}

namespace {

// What Ctrl+Enter says beside the chapter panel when it opens nothing, in the window's language.
QString resumeHint(Language language, const QString& chapter, bool severalWeeks) {
    const bool kazakh = language == Language::Kazakh;
    if (chapter.isEmpty())
        return kazakh ? QStringLiteral("Сіз оқулықтың бірде-бір тарауын әлі ашқан жоқсыз.")
                      : TMainForm::tr("Вы ещё не открывали глав учебника.");
    if (severalWeeks)
        return kazakh ? QStringLiteral("«%1» тарауы бірнеше аптада бар: оны тізімнен таңдаңыз.").arg(chapter)
                      : TMainForm::tr("Глава «%1» есть в нескольких неделях: выберите её в дереве.").arg(chapter);
    return kazakh ? QStringLiteral("«%1» тарауы оқулықтың тараулары арасында жоқ.").arg(chapter)
                  : TMainForm::tr("Главы «%1» нет среди глав учебника.").arg(chapter);
}

}  // namespace

void TMainForm::ResumeReading() {
    const QString chapter = DataModule5->CurrentChapter();
    const QList<ChapterPlace> places = ChapterPlaces(Variant.language, chapter);
    QStringList addresses;
    QStringList pages;
    for (const ChapterPlace& place : places) {
        addresses << (place.section ? SectionAddress(ContentRoot, Variant.language, place.page, place.section)
                                    : PageAddress(ContentRoot, Variant.language, place.page));
        pages << PageFile(AddressUrl(addresses.last()));
    }
    // A section label that several weeks share ("Лекция"): the one whose page this user left last.
    const qsizetype chosen = places.size() == 1 ? 0 : pages.indexOf(LastReadPage(RegisterUser(), pages));
    if (places.isEmpty() || chosen < 0) {
        showChapterNote(resumeHint(Variant.language, chapter, places.size() > 1));
        return;
    }
    openChapter(addresses[chosen], chapter);
}

void TMainForm::showChapterNote(const QString& text) {
    // A note of its own rather than the bar's hint: a tooltip goes away at the release of the key
    // that asked for it, and the hint is the mouse-move rule's.
    delete chapterNote_;
    chapterNote_ = new QLabel(text, StatusBar1, Qt::ToolTip);
    chapterNote_->setObjectName(QStringLiteral("ChapterNote"));
    // The chapter comes from the register, which a course team may have brought from anywhere.
    chapterNote_->setTextFormat(Qt::PlainText);
    chapterNote_->setForegroundRole(QPalette::ToolTipText);
    chapterNote_->setBackgroundRole(QPalette::ToolTipBase);
    chapterNote_->setAutoFillBackground(true);
    chapterNote_->setFrameShape(QFrame::Box);
    chapterNote_->setMargin(3);
    chapterNote_->move(StatusBar1->mapToGlobal(StatusBar1->panelRect(4).bottomLeft() + QPoint(0, 2)));
    chapterNote_->show();
    QTimer::singleShot(5000, chapterNote_, &QLabel::hide);
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

void TMainForm::FormHide() {
    // The note is a window of its own, which would stay over the viewer.
    if (chapterNote_) chapterNote_->hide();
}

void TMainForm::FormClose() {
    // Closing a main window ends the program, through the controlling window.
    Form1->close();
}
