#include "CoursePage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include "platform/Desktop.h"
#include "platform/Handler.h"

namespace {

// The canonical content root followed by "/"; empty while there is none. Every request a page
// makes is checked against it, so it is worked out once.
QString rootPrefix;

// The canonical path of a clean absolute path that may be missing: that of its deepest existing
// folder and the rest as it is. A missing page, or a missing page folder, must reach the engine,
// which shows its own error page for it.
QString canonicalPath(const QString& path) {
    QString existing = path;
    QString rest;
    for (;;) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty()) return canonical + rest;
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0) return QString();
        rest.prepend(existing.mid(slash));
        existing.truncate(slash);
    }
}

// Whether a URL names a file under the course root once symbolic links and ".." are resolved.
bool isCourseFile(const QUrl& url) {
    if (rootPrefix.isEmpty() || !url.isLocalFile() || !url.host().isEmpty()) return false;
    const QString path = url.toLocalFile();
    if (path.contains(QChar(0))) return false;
    return canonicalPath(QDir::cleanPath(path)).startsWith(rootPrefix);
}

bool isWebAddress(const QUrl& url) {
    return url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0 ||
           url.scheme().compare(QStringLiteral("http"), Qt::CaseInsensitive) == 0;
}

// Hands a web address to the desktop once the engine's own call has returned, so that a box the
// desktop may show does not run inside it.
void openOnDesktop(QObject* context, const QUrl& url) {
    QMetaObject::invokeMethod(
        context, [url] { platform::runGuarded([&] { platform::desktop().openWithDesktop(url); }); },
        Qt::QueuedConnection);
}

// Lets a page load course files only: no other file, no web server, no other scheme.
class CourseRequestGuard final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!isCourseFile(info.requestUrl())) info.block(true);
    }
};

}  // namespace

void SetCourseRoot(const QString& contentRoot) {
    const QString canonical = QFileInfo(contentRoot).canonicalFilePath();
    rootPrefix = canonical.isEmpty() || canonical.endsWith(u'/') ? canonical : canonical + u'/';
}

QWebEngineProfile* CourseProfile() {
    // Owned by the application: every page of it is gone by the time the application is.
    static QPointer<QWebEngineProfile> profile;
    if (profile) return profile;
    profile = new QWebEngineProfile(QCoreApplication::instance());  // off the record: nothing on disk
    profile->setUrlRequestInterceptor(new CourseRequestGuard(profile));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Without it a page loads not even its own style sheet and pictures; the guard keeps it to
    // course files.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    return profile;
}

CoursePage::CoursePage(QObject* parent) : QWebEnginePage(CourseProfile(), parent) {
    // A link with a target of its own asks for a new window: a web address the student clicked
    // opens in the desktop's browser, as from any other link.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated() && isWebAddress(request.requestedUrl()))
            openOnDesktop(this, request.requestedUrl());
    });
}

bool CoursePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool) {
    if (isCourseFile(url) || url == QUrl(QStringLiteral("about:blank"))) return true;
    if (type == NavigationTypeLinkClicked && isWebAddress(url)) openOnDesktop(this, url);
    return false;
}
