#include "Viewer.h"

#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "CoursePage.h"
#include "MainForm.h"
#include "PageFind.h"
#include "PageZoom.h"
#include "ReadingPlace.h"
#include "SearchWindow.h"
#include "ViewerPane.h"
#include "app/WindowSet.h"
#include "app/trace/Trace.h"
#include "content/rules/CourseOutline.h"
#include "data/Unit5.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"
#include "platform/failure/Failure.h"
#include "testing/Unit4.h"

TViewer::TViewer(Language language) : Variant(language) {
    setWindowFlags(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MainMenu1 = new QMenuBar(this);
    layout->setMenuBar(MainMenu1);
    // The pane is placed and sized by the window's own rule, not by the layout.
    auto* client = new QWidget(this);
    layout->addWidget(client);
    WebBrowser1 = new QWebEngineView(client);
    WebBrowser1->move(0, 0);
    connect(WebBrowser1, &QWebEngineView::loadFinished, this,
            [this](bool ok) { TraceEvent(ok ? "page-loaded" : "page-failed", WebBrowser1->url().toString()); });
    TracePaneMoments(WebBrowser1);
    hold_ = new FrameHold(this, WebBrowser1, [](const QAction* item) {
        const int tag = tagOf(item);
        return tag == kPageTag || MenuSection(tag) != 0;
    });
    buildMenu();
    zoom_ = new PageZoom(this, WebBrowser1);
    find_ = new PageFind(this, WebBrowser1, Variant);
    place_ = new ReadingPlace(WebBrowser1);
    AddCourseSearchKey(this, Variant);
}

void TViewer::buildMenu() {
    for (const MenuEntry& entry : WeekMenu(Variant)) {
        QAction* action;
        if (entry.items.isEmpty()) {
            action = MainMenu1->addAction(entry.caption);
        } else {
            QMenu* menu = MainMenu1->addMenu(entry.caption);
            hold_->watch(menu);
            action = menu->menuAction();
            for (const MenuItem& item : entry.items) {
                QAction* sub = menu->addAction(item.caption);
                sub->setProperty("tag", item.tag);
                connect(sub, &QAction::triggered, this, [this, sub] { platform::runGuarded([&] { svChange(sub); }); });
            }
        }
        action->setProperty("tag", entry.tag);
        if (entry.tag == kTestTag) {
            N4 = action;
            connect(action, &QAction::triggered, this, platform::handler(this, &TViewer::N4Click));
        } else if (entry.tag == kExitTag) {
            N5 = action;
            connect(action, &QAction::triggered, this, platform::handler(this, &TViewer::N5Click));
        } else if (entry.items.isEmpty()) {
            connect(action, &QAction::triggered, this,
                    [this, action] { platform::runGuarded([&] { svChange(action); }); });
        }
    }
}

void TViewer::FormCreate() {
    ContentRoot = platform::desktop().currentDirectory();
    SetCourseRoot(ContentRoot);
}

void TViewer::preparePane() {
    // Made at the first page, not with the window: the browser engine starts with the first page.
    if (!page_) {
        page_ = new CoursePage(WebBrowser1);
        WebBrowser1->setPage(page_);
        zoom_->attach();
        find_->attach(page_);
        place_->attach(page_);
        // A page found in goes to its match rather than to where the student left it.
        connect(page_, &QWebEnginePage::loadFinished, this,
                [this](bool ok) { place_->pageLoaded(ok, !find_->pageLoaded(ok)); });
    }
}

void TViewer::RequireContentRoot() const {
    // A course folder deleted or moved away while the program runs takes every page and the
    // register with it; the browser's error page and the database's message would not say so.
    if (!QFileInfo(ContentRoot).isDir())
        throw platform::Failure(tr("The textbook folder %1 was not found").arg(QDir::toNativeSeparators(ContentRoot)));
}

void TViewer::ShowPage(const QString& address) {
    RequireContentRoot();
    const QUrl url = AddressUrl(address);
    if (!url.isValid()) throw platform::Failure(tr("Invalid page address: %1").arg(address));
    LastAddress = address;
    preparePane();
    // Another section of the page shown only scrolls: nothing loads.
    const QUrl shown = WebBrowser1->url();
    const bool sameDocument = url.hasFragment() && !shown.isEmpty() &&
                              url.adjusted(QUrl::RemoveFragment) == shown.adjusted(QUrl::RemoveFragment);
    WebBrowser1->setUrl(url);
    if (!sameDocument) hold_->loadStarted();
}

void TViewer::WarmUp() {
    preparePane();
    if (WebBrowser1->url().isEmpty()) WebBrowser1->setUrl(QUrl(QStringLiteral("about:blank")));
}

void TViewer::svChange(QAction* item) {
    const int tag = tagOf(item);
    // The parent's caption: the submenu holding the item, or nothing for an item on the menu bar.
    QString parent;
    for (QObject* holder : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder)) parent = menu->title();
    TMainForm* main = MainWindow(Variant);
    const int section = MenuSection(tag);
    if (tag == kPageTag || section) {
        RequireContentRoot();  // before the chapter's store, whose failure would not say why
        DataModule5->RecordChapter(MenuChapterText(parent, item->text()));
        ShowPage(section ? SectionAddress(ContentRoot, Variant, parent, section)
                         : PageAddress(ContentRoot, Variant, item->text()));
        DataModule5->ShowCurrentUser(main->StatusBar1);
    } else if (const int video = MenuVideo(tag)) {
        PlayVideo(ContentRoot, video);
    }
}

void PlayVideo(const QString& contentRoot, int video) {
    // A missing video is the desktop's to report, as for any file it is asked to open.
    platform::desktop().openWithDesktop(QUrl::fromLocalFile(QDir::cleanPath(VideoPath(contentRoot, video))));
}

void TViewer::N4Click() { StartTest(Variant); }

void TViewer::N5Click() { close(); }

void TViewer::FormShow() {
    // The work area's right and bottom coordinates become the outer width and height.
    const QRect area = platform::desktop().workArea();
    const QSize frame = frameGeometry().size() - geometry().size();
    move(0, 0);
    resize(area.x() + area.width() - frame.width(), area.y() + area.height() - frame.height());
    hold_->showing();
}

void TViewer::FormResize() {
    const QSize outer = frameGeometry().size();
    WebBrowser1->resize(outer.width() - 10, outer.height() - 80);
}

void TViewer::FormClose() { MainWindow(Variant)->show(); }

void TViewer::nameControls(const QString& menu, const QString& menuDescription, const QString& page) {
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    platform::SetAccessibleTexts(MainMenu1, menu, menuDescription);
    platform::SetAccessibleTexts(WebBrowser1, page, QString());
}

void TViewer::FormHide() { place_->leave(); }

void TViewer::FindInPage(const QString& text) { find_->open(text); }
