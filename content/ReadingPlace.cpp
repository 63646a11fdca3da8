#include "ReadingPlace.h"

#include <QPointF>
#include <QSizeF>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include "ReaderSettings.h"
#include "app/WindowSet.h"
#include "content/rules/ContentRules.h"
#include "data/Unit5.h"
#include "data/cursor/DataSet.h"

QString RegisterUser() {
    // Asked as pages load, so a register without a name field is no one's rather than an error.
    const DataSet* users = DataModule5 ? DataModule5->ADOTable2 : nullptr;
    const QString field = QStringLiteral("user");
    return users && users->isActive() && users->fieldIndex(field) >= 0 ? users->fieldText(field) : QString();
}

ReadingPlace::ReadingPlace(QObject* parent) : QObject(parent) {}

ReadingPlace::~ReadingPlace() {
    keepPlace();
    StoreReaderSettingsNow();
}

void ReadingPlace::attach(QWebEnginePage* page) {
    page_ = page;
    connect(page_, &QWebEnginePage::loadStarted, this, [this] {
        keepPlace();
        file_.clear();
    });
    connect(page_, &QWebEnginePage::scrollPositionChanged, this, [this] {
        if (!file_.isEmpty()) at_ = shownShare();
    });
}

double ReadingPlace::shownShare() const {
    const double height = page_->contentsSize().height();
    return height > 0 ? qBound(0.0, page_->scrollPosition().y() / height, 1.0) : 0.0;
}

void ReadingPlace::pageLoaded(bool ok, bool restore) {
    file_.clear();
    const QUrl url = page_->url();
    if (!ok || !url.isLocalFile()) return;
    file_ = PageFile(url);
    user_ = RegisterUser();
    at_ = shownShare();
    if (!restore || url.hasFragment()) return;
    const double at = PlaceInPage(user_, file_);
    if (at <= 0) return;
    at_ = at;
    // The page's own height, in the page's own units, is known inside it only. The script runs
    // in a world of its own, apart from the page's scripts.
    page_->runJavaScript(QStringLiteral("(function (e) { window.scrollTo(0, %1 * e.scrollHeight); })"
                                        "(document.scrollingElement || document.documentElement)")
                             .arg(at, 0, 'f', 5),
                         QWebEngineScript::ApplicationWorld);
}

void ReadingPlace::keepPlace() const {
    if (!file_.isEmpty()) KeepPlaceInPage(user_, file_, at_);
}

void ReadingPlace::leave() {
    keepPlace();
    StoreReaderSettings();
}
