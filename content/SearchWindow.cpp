#include "SearchWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <array>

#include "MainForm.h"
#include "Viewer.h"
#include "content/rules/CourseOutline.h"
#include "content/search/CourseSearch.h"
#include "controls/Form.h"
#include "platform/Desktop.h"
#include "platform/Handler.h"

namespace {

constexpr int kWordRole = Qt::UserRole;  // the first match as the page writes it

std::array<QPointer<TSearchWindow>, 2> searchWindows;

}  // namespace

TSearchWindow::TSearchWindow(Language language) : Variant(language) {
    setWindowFlags(Qt::Window);
    setWindowTitle(tr("Поиск по курсу"));
    resize(640, 420);
    auto* layout = new QVBoxLayout(this);
    Words = new QLineEdit(this);
    Words->setPlaceholderText(tr("Слова для поиска"));
    Words->setClearButtonEnabled(true);
    Hits = new QTreeWidget(this);
    Hits->setColumnCount(2);
    Hits->setHeaderLabels({tr("Глава"), tr("Текст")});
    Hits->setRootIsDecorated(false);
    Hits->setUniformRowHeights(true);
    Hits->setAllColumnsShowFocus(true);
    Hits->header()->setStretchLastSection(true);
    Hits->setColumnWidth(0, 150);
    Status = new QLabel(this);
    layout->addWidget(Words);
    layout->addWidget(Hits);
    layout->addWidget(Status);
    Words->installEventFilter(this);
    Hits->installEventFilter(this);

    connect(Words, &QLineEdit::textChanged, this, [this] { Ask(); });
    connect(Hits, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* hit) { platform::runGuarded([&] { OpenHit(hit); }); });
}

TSearchWindow::~TSearchWindow() = default;

CourseSearch& TSearchWindow::course() {
    if (!search_) {
        TViewer* viewer = MainWindow(Variant)->Viewer();
        search_ = new CourseSearch(viewer->ContentRoot, viewer->ContentRoot + u'/' + PageDirectory(Variant), this);
        connect(search_, &CourseSearch::found, this, &TSearchWindow::showHits);
        connect(search_, &CourseSearch::failed, this, &TSearchWindow::showFailure);
    }
    return *search_;
}

void TSearchWindow::CheckPages() { course().checkPages(); }

void TSearchWindow::Ask() {
    if (!answered_) Status->setText(tr("Составляется указатель страниц…"));
    course().find(Words->text(), kMostHits + 1);
}

void TSearchWindow::showHits(const QString& typed, const QList<SearchHit>& hits) {
    answered_ = true;
    if (typed != Words->text()) return;  // the student typed on; that answer comes
    Hits->clear();
    for (qsizetype i = 0; i < hits.size() && i < kMostHits; ++i) {
        auto* item = new QTreeWidgetItem(Hits, {hits[i].page, hits[i].line});
        item->setData(0, kWordRole, hits[i].word);
        item->setToolTip(1, hits[i].line);
    }
    if (Hits->topLevelItemCount()) Hits->setCurrentItem(Hits->topLevelItem(0));
    if (MatchExpression(typed).isEmpty())  // nothing asked yet: a lone letter finds nothing by itself
        Status->clear();
    else if (hits.isEmpty())
        Status->setText(tr("Ничего не найдено"));
    else if (hits.size() > kMostHits)
        Status->setText(tr("Показаны %1 лучших страниц").arg(kMostHits));
    else
        Status->setText(tr("Найдено страниц: %1").arg(hits.size()));
}

void TSearchWindow::showFailure(const QString& message) {
    answered_ = false;
    Hits->clear();
    Status->setText(message);
}

void TSearchWindow::OpenHit(QTreeWidgetItem* hit) {
    if (!hit) return;
    TMainForm* main = MainWindow(Variant);
    TViewer* viewer = main->Viewer();
    // The week menu's item for a page of its own ("Введение"): the same steps, in the same order.
    QAction pageItem(hit->text(0));
    pageItem.setProperty("tag", kPageTag);
    viewer->svChange(&pageItem);
    viewer->show();
    main->hide();
    viewer->raise();
    viewer->activateWindow();
    FindWhenLoaded(viewer, hit->data(0, kWordRole).toString());
}

bool TSearchWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        platform::runGuarded([this] { OpenHit(Hits->currentItem()); });
        return true;
    }
    if (watched == Words &&
        (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        QCoreApplication::sendEvent(Hits, event);  // the list moves while the typing goes on
        return true;
    }
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

TSearchWindow* CourseSearchWindow(Language language) { return searchWindows[language == Language::Russian ? 0 : 1]; }

void OpenCourseSearch(Language language, QWidget* over) {
    QPointer<TSearchWindow>& window = searchWindows[language == Language::Russian ? 0 : 1];
    if (!window) {
        window = new TSearchWindow(language);
        TViewer* viewer = MainWindow(language)->Viewer();
        QObject::connect(viewer, &QObject::destroyed, window, [search = window.data()] { delete search; });
        if (over)
            window->move(centredOver(over->frameGeometry(), window->frameGeometry().size(),
                                     platform::desktop().workArea().topLeft()));
    }
    window->show();
    window->raise();
    window->activateWindow();
    window->Words->setFocus();
    window->Words->selectAll();
    window->CheckPages();
    window->Ask();
}

void AddCourseSearchKey(QWidget* window, Language language) {
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), window);
    QObject::connect(key, &QShortcut::activated, window,
                     [window, language] { platform::runGuarded([&] { OpenCourseSearch(language, window); }); });
}

void FindWhenLoaded(TViewer* viewer, const QString& word) {
    // One word waits at a time: a page opened later takes the place of one still loading.
    static QPointer<QObject> waiting;
    delete waiting;
    if (word.isEmpty()) return;
    waiting = new QObject(viewer);
    QWebEngineView* view = viewer->WebBrowser1;
    const QUrl page = AddressUrl(viewer->LastAddress).adjusted(QUrl::RemoveFragment);
    QObject::connect(view, &QWebEngineView::loadFinished, waiting,
                     [view, page, word, context = waiting.data()](bool ok) {
                         if (view->url().adjusted(QUrl::RemoveFragment) != page)
                             return;  // an earlier page ending its load
                         if (ok) view->findText(word);
                         context->deleteLater();
                     });
}
