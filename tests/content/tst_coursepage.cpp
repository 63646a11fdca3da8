// A hostile course page in the viewer's browser pane, with the real browser engine: its scripts and
// tags read no file outside the content root and reach no web server, it opens no window, a link or
// a dropped file takes the pane nowhere outside the course, and a clicked web link opens in the
// desktop's browser instead.
#include <QDesktopServices>
#include <QMimeData>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit3.h"
#include "tests/common/Fixture.h"
#include "tests/common/PageScript.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;

namespace {

// A 1 × 1 PNG picture.
const QByteArray kPicture = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==");

// The page under test. probe(how, url) tries to read `url` by a fetch, a synchronous XHR, a picture,
// a style sheet or a new window, and writes what it got into the title: "read:<text>", "read"
// (a picture or style sheet that loaded), "opened" or "blocked". The link covers the top-left corner.
const char* const kProbePage = R"(<html><head><meta charset="utf-8"><title>ready</title></head><body>
<a id="link" href="#" style="display:block;position:absolute;left:0;top:0;width:300px;height:200px">ссылка</a>
<script>
function report(what) { document.title = what; }
function probe(how, url) {
  document.title = 'probing';
  if (how === 'fetch') {
    fetch(url).then(r => r.text()).then(t => report('read:' + t.trim()), () => report('blocked'));
  } else if (how === 'xhr') {
    try {
      const q = new XMLHttpRequest();
      q.open('GET', url, false);
      q.send();
      report(q.responseText ? 'read:' + q.responseText.trim() : 'blocked');
    } catch (e) { report('blocked'); }
  } else if (how === 'img') {
    const i = new Image();
    i.onload = () => report('read');
    i.onerror = () => report('blocked');
    i.src = url;
  } else if (how === 'css') {
    const l = document.createElement('link');
    l.rel = 'stylesheet';
    l.onload = () => report('read');
    l.onerror = () => report('blocked');
    l.href = url;
    document.head.appendChild(l);
  } else if (how === 'open') {
    report(window.open(url) ? 'opened' : 'blocked');
  }
  return true;
}
</script></body></html>)";

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// A web server on this machine that counts the connections made to it and answers every request,
// readable by any page: a picture for a name ending in ".png", a secret text for any other.
class WebServer : public QObject {
public:
    WebServer() {
        if (!server_.listen(QHostAddress::LocalHost)) qFatal("cannot listen");
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    const QByteArray request = socket->readAll();
                    const QByteArray body = request.split(' ').value(1).endsWith(".png") ? kPicture : "SECRET";
                    socket->write(
                        "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: *\r\nConnection: close\r\n"
                        "Content-Length: " +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    int connections = 0;

private:
    QTcpServer server_;
};

// Records the addresses the engine hands to the desktop by itself (unknown schemes).
class SchemeCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> caught;
public slots:
    void open(const QUrl& url) { caught << url; }
};

// The content root with the probe page, a style sheet, a text and a picture inside it; a folder
// outside with a secret text, picture and page; a folder beside the root whose name begins with the
// root's; a link inside the root to the outside folder; and a web server.
struct HostileCourse {
    HostileCourse() {
        writeFile(root.path() + QStringLiteral("/web/probe.htm"), kProbePage);
        writeFile(root.path() + QStringLiteral("/web/other.htm"), "<html><body>other</body></html>");
        writeFile(root.path() + QStringLiteral("/style.css"), "body { color: rgb(1, 2, 3) }");
        writeFile(root.path() + QStringLiteral("/inside.png"), kPicture);
        writeFile(root.path() + QStringLiteral("/notes.txt"), "NOTES");
        for (const QString& dir : {outside.path(), sibling()}) {
            writeFile(dir + QStringLiteral("/secret.txt"), "SECRET");
            writeFile(dir + QStringLiteral("/secret.png"), kPicture);
            writeFile(dir + QStringLiteral("/secret.htm"), "<html><body>SECRET</body></html>");
        }
        if (!QFile::link(outside.path(), root.path() + QStringLiteral("/web/escape"))) qFatal("cannot make the link");
    }
    ~HostileCourse() { QDir(sibling()).removeRecursively(); }
    QString sibling() const { return root.path() + QStringLiteral("-x"); }
    QString probePath() const { return root.path() + QStringLiteral("/web/probe.htm"); }

    // A target with its place-holders filled in: {outside} and {sibling} are those folders as file
    // URLs, {up} the outside folder reached from the probe page by "..", {outsideName} its name, {web}
    // the web server.
    QString resolve(QString target) const {
        target.replace(QStringLiteral("{outside}"), QUrl::fromLocalFile(outside.path()).toString());
        target.replace(QStringLiteral("{sibling}"), QUrl::fromLocalFile(sibling()).toString());
        target.replace(QStringLiteral("{up}"), QStringLiteral("../../") + QFileInfo(outside.path()).fileName());
        target.replace(QStringLiteral("{outsideName}"), QFileInfo(outside.path()).fileName());
        target.replace(QStringLiteral("{web}"), web.address());
        return target;
    }

    CourseRoot root;
    QTemporaryDir outside;
    WebServer web;
};

// The probe page in the Russian viewer, shown and loaded.
void showProbe(const HostileCourse& course) {
    Form1->show();
    Form1->SpeedButton1->click();
    QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
    Form3->ShowPage(course.probePath());
    Form3->show();
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
    QTRY_COMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("document.title")).toString(), QStringLiteral("ready"));
}

QString probe(const QString& how, const QString& url) {
    QWebEngineView* pane = Form3->WebBrowser1;
    evaluate(pane, QStringLiteral("probe('%1', '%2')").arg(how, url));
    QString result = QStringLiteral("probing");
    QDeadlineTimer deadline(10000);
    while (result == QStringLiteral("probing") && !deadline.hasExpired()) {
        QTest::qWait(20);
        result = evaluate(pane, QStringLiteral("document.title")).toString();
    }
    return result;
}

// A left click at a point of the pane, as the student makes it.
void clickPane(QPoint point) {
    QWidget* surface = Form3->WebBrowser1->focusProxy();
    QVERIFY(surface);
    QTest::mouseMove(surface, point);
    QTest::mousePress(surface, Qt::LeftButton, {}, point);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, point, 50);
}

// Long enough for a local page to load or a navigation to be refused.
constexpr int kSettle = 1500;

}  // namespace

class TestCoursePage : public QObject {
    Q_OBJECT

private slots:
    void pageReadsOnlyCourseFiles_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fetch outside") << "fetch"
                                       << "{outside}/secret.txt"
                                       << "blocked";
        QTest::newRow("synchronous XHR outside") << "xhr"
                                                 << "{outside}/secret.txt"
                                                 << "blocked";
        QTest::newRow("picture outside") << "img"
                                         << "{outside}/secret.png"
                                         << "blocked";
        QTest::newRow("picture outside by ..") << "img"
                                               << "{up}/secret.png"
                                               << "blocked";
        QTest::newRow("picture outside by %2e%2e") << "img"
                                                   << "%2e%2e/%2E%2E/{outsideName}/secret.png"
                                                   << "blocked";
        QTest::newRow("picture through a link out of the root") << "img"
                                                                << "escape/secret.png"
                                                                << "blocked";
        QTest::newRow("picture in a folder named like the root") << "img"
                                                                 << "{sibling}/secret.png"
                                                                 << "blocked";
        QTest::newRow("picture from a web server") << "img"
                                                   << "{web}/secret.png"
                                                   << "blocked";
        QTest::newRow("fetch from a web server") << "fetch"
                                                 << "{web}/secret.txt"
                                                 << "blocked";
        QTest::newRow("XHR to a web server") << "xhr"
                                             << "{web}/secret.txt"
                                             << "blocked";
        QTest::newRow("fetch inside the root") << "fetch"
                                               << "../notes.txt"
                                               << "read:NOTES";
        QTest::newRow("synchronous XHR inside the root") << "xhr"
                                                         << "../notes.txt"
                                                         << "read:NOTES";
        QTest::newRow("picture inside the root") << "img"
                                                 << "../inside.png"
                                                 << "read";
        QTest::newRow("style sheet inside the root") << "css"
                                                     << "../style.css"
                                                     << "read";
    }
    void pageReadsOnlyCourseFiles() {
        QFETCH(QString, how);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        HostileCourse course;
        WindowSetGuard windows(course.root.path());
        showProbe(course);

        QCOMPARE(probe(how, course.resolve(target)), expected);
        QCOMPARE(course.web.connections, 0);
        QCOMPARE(Form3->WebBrowser1->url(), QUrl::fromLocalFile(course.probePath()));
    }

    // A clicked link to the web opens in the desktop's browser; a link elsewhere outside the
    // course goes nowhere, without a box; a link to another course page is followed.
    void clickedLinks_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("desktopOpens");
        QTest::addColumn<QString>("paneShows");
        const QString probe = QStringLiteral("probe.htm");
        const QString book = QStringLiteral("https://literature.invalid/book?id=1");
        const QString site = QStringLiteral("http://literature.invalid/");
        QTest::newRow("https") << book << "" << book << probe;
        QTest::newRow("http in a new window") << site << "_blank" << site << probe;
        QTest::newRow("file outside the root") << "{outside}/secret.htm"
                                               << ""
                                               << "" << probe;
        QTest::newRow("file outside in a new window") << "{outside}/secret.htm"
                                                      << "_blank"
                                                      << "" << probe;
        QTest::newRow("file through a link out of the root") << "escape/secret.htm"
                                                             << ""
                                                             << "" << probe;
        QTest::newRow("ftp") << "ftp://files.invalid/secret"
                             << ""
                             << "" << probe;
        QTest::newRow("mailto") << "mailto:someone@elsewhere.invalid"
                                << ""
                                << "" << probe;
        QTest::newRow("another course page") << "other.htm"
                                             << ""
                                             << ""
                                             << "other.htm";
    }
    void clickedLinks() {
        QFETCH(QString, href);
        QFETCH(QString, target);
        QFETCH(QString, desktopOpens);
        QFETCH(QString, paneShows);
        HostileCourse course;
        WindowSetGuard windows(course.root.path());
        SchemeCatcher engineOpens;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &engineOpens, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("ftp"), &engineOpens, "open");
        showProbe(course);
        evaluate(Form3->WebBrowser1, QStringLiteral("const a = document.getElementById('link'); a.href = '%1'; "
                                                    "a.target = '%2'; true")
                                         .arg(course.resolve(href), target));

        clickPane(QPoint(100, 100));
        QTest::qWait(kSettle);
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("ftp"));
        QCOMPARE(windows.desktop.opened, desktopOpens.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(desktopOpens)});
        QCOMPARE(engineOpens.caught, QList<QUrl>());
        QVERIFY(windows.desktop.errors.isEmpty());
        QCOMPARE(Form3->WebBrowser1->url(),
                 QUrl::fromLocalFile(course.root.path() + QStringLiteral("/web/") + paneShows));
    }

    // Nothing a script opens in a window of its own, and nothing dragged from the desktop and
    // dropped on the pane, is opened anywhere: not in the pane, not in a new window (the engine
    // does not even ask for one), not on the desktop.
    void nothingOpensUnasked_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("target");
        QTest::newRow("script, web address") << "open"
                                             << "https://elsewhere.invalid/?d=x";
        QTest::newRow("script, file outside") << "open"
                                              << "{outside}/secret.htm";
        QTest::newRow("script, course page") << "open"
                                             << "other.htm";
        QTest::newRow("dropped file outside the root") << "drop"
                                                       << "{outside}/secret.htm";
        QTest::newRow("dropped course page") << "drop"
                                             << "other.htm";
        QTest::newRow("dropped web address") << "drop"
                                             << "https://elsewhere.invalid/";
    }
    void nothingOpensUnasked() {
        QFETCH(QString, how);
        QFETCH(QString, target);
        HostileCourse course;
        WindowSetGuard windows(course.root.path());
        showProbe(course);
        int asked = 0;
        connect(Form3->WebBrowser1->page(), &QWebEnginePage::newWindowRequested, this, [&] { ++asked; });

        if (how == "open") {
            QCOMPARE(probe(how, course.resolve(target)), QStringLiteral("blocked"));
        } else {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(course.root.path() + QStringLiteral("/web/"))
                              .resolved(QUrl(course.resolve(target)))});
            QWidget* pane = Form3->WebBrowser1;
            const QPoint at(400, 300);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane, &enter);
            QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane, &move);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(pane, &drop);
        }
        QTest::qWait(kSettle);
        QCOMPARE(asked, 0);
        QVERIFY(windows.desktop.opened.isEmpty());
        QCOMPARE(Form3->WebBrowser1->url(), QUrl::fromLocalFile(course.probePath()));
    }
};

QTEST_MAIN(TestCoursePage)
#include "tst_coursepage.moc"
