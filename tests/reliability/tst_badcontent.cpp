// Content in a bad state or at an odd place, met through the chapter trees, the week menus and
// the browser pane: page names with odd characters, missing pages, videos and page folders, a
// working directory with spaces and Cyrillic letters, and one deleted while the program runs.
// Each is an error box or a sound result, never a crash, and the user register is never harmed.
#include <QMenu>
#include <QMenuBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include "content/Unit2.h"
#include "content/Unit3.h"
#include "content/Unit8.h"
#include "content/Unit9.h"
#include "controls/StatusBar.h"
#include "controls/TreeView.h"
#include "data/Unit5.h"
#include "data/Unit6.h"
#include "data/controls/DBNavigator.h"
#include "data/cursor/DataSet.h"
#include "tests/common/Fixture.h"
#include "tests/common/PageScript.h"
#include "tests/common/WindowSetGuard.h"
#include "tests/testing/TestRun.h"
#include "tools/coursedb/CourseFile.h"

using namespace testrun;

namespace {

const QString kCaption = QStringLiteral("Электронный учебник");
const QStringList kStoredRegister{"Айгерим|1 Неделя", "Борис|<null>", "Сәуле|Введение"};

// A content root at a path of the test's choosing below a fresh temporary directory: the fixture's
// course database, and pages and videos only where a test writes them.
class Course {
public:
    explicit Course(const QString& relativePath = QStringLiteral("course"))
        : path_(QDir::cleanPath(base_.path() + u'/' + relativePath)) {
        if (!base_.isValid()) qFatal("cannot make a temporary directory");
        coursedb::WriteDatabase(databasePath(),
                                {fixture::QuestionBank(QStringLiteral("test"), 40),
                                 fixture::QuestionBank(QStringLiteral("test_kz"), 40), fixture::StandardUsers()});
    }

    QString path() const { return path_; }
    QString basePath() const { return base_.path(); }
    QString databasePath() const { return path_ + QStringLiteral("/Base/test.db"); }
    QString pagePath(Language language, const QString& name) const {
        return path_ + u'/' + PageDirectory(language) + u'/' + name + QStringLiteral(".htm");
    }
    QString videoPath(int video) const { return path_ + QStringLiteral("/video/%1.avi").arg(video); }

    // A page whose title is `title`, which its body also carries whitespace and all (data-title, as
    // document.title collapses runs of spaces), with the sections a1 to a3 far apart.
    void writePage(Language language, const QString& name, const QString& title) const {
        writeFile(pagePath(language, name), pageHtml(title));
    }
    void writeVideo(int video) const { writeFile(videoPath(video), "RIFF....AVI LIST"); }

    static QByteArray pageHtml(const QString& title) {
        const QByteArray escaped = title.toHtmlEscaped().toUtf8();
        QByteArray html = "<html><head><meta charset='utf-8'><title>" + escaped + "</title></head><body data-title='" +
                          escaped + "'>";
        for (int section = 1; section <= 3; ++section)
            html += "<h2 id='a" + QByteArray::number(section) + "'>" + QByteArray::number(section) +
                    "</h2><div style='height:3000px'></div>";
        return html + "</body></html>";
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

private:
    QTemporaryDir base_;
    QString path_;
};

// The register as a database file holds it, "user|glava" per row; empty when it cannot be read.
QStringList storedRegister(const QString& databasePath) {
    QStringList rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(QStringLiteral("SELECT user, glava FROM user1"), db);
            while (query.next())
                rows << query.value(0).toString() + u'|' +
                            (query.value(1).isNull() ? QStringLiteral("<null>") : query.value(1).toString());
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

TMainForm* mainWindow(Language language) { return MainWindow(language); }
TViewer* viewer(Language language) { return mainWindow(language)->Viewer(); }

// Double-clicks a chapter-tree entry the way the user does: the top-level entry `top` (its label
// first replaced when `label` is given, as the user can edit it), or its item `item` (1, 2 ...).
void openFromTree(Language language, int top, int item = 0, const QString& label = QString()) {
    TreeView* tree = mainWindow(language)->TreeView1;
    QTreeWidgetItem* entry = tree->topLevelItem(top);
    QVERIFY(entry);
    if (!label.isNull()) entry->setText(0, label);
    if (item) entry->setExpanded(true);
    tree->setCurrentItem(item ? entry->child(item - 1) : entry);
    emit tree->doubleClicked();
}

// Chooses an item of a viewer's week menu: a top-level entry, or an item of its submenu.
void openFromMenu(Language language, const QString& top, const QString& caption = QString()) {
    for (QAction* action : viewer(language)->MainMenu1->actions()) {
        if (action->text() != top) continue;
        if (caption.isEmpty()) return action->trigger();
        for (QAction* sub : action->menu()->actions())
            if (sub->text() == caption) return sub->trigger();
    }
    QFAIL(qPrintable(QStringLiteral("no menu item %1 / %2").arg(top, caption)));
}

// The title of the page on show, as its file gives it.
QString shownTitle(QWebEngineView* view) {
    return evaluate(view, QStringLiteral("document.body ? document.body.dataset.title : ''")).toString();
}

// The error boxes shown so far, as "caption: text".
QStringList errorBoxes(const platform::RecordingDesktop& desktop) {
    QStringList boxes;
    for (const auto& box : desktop.errors) boxes << box.caption + QStringLiteral(": ") + box.text;
    return boxes;
}

// A language chosen on a fresh window set whose content root is `root`.
struct Session {
    Session(const QString& root, Language language) : windows(root) {
        ChooseLanguage(language);
        if (!windows.desktop.errors.isEmpty()) qWarning("%s", qPrintable(errorBoxes(windows.desktop).join(u'\n')));
    }
    WindowSetGuard windows;
};

// The working directory changed for the length of a test, and restored.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& path) : previous_(QDir::currentPath()) {
        if (!QDir::setCurrent(path)) qFatal("cannot change into %s", qPrintable(path));
    }
    ~WorkingDirectory() { QDir::setCurrent(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    QString previous_;
};

}  // namespace

class TestBadContent : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AllowBrowserAsRoot(); }

    // Page names the user gives a chapter-tree entry (its labels are editable). A legal name opens
    // exactly its own file: "#" and "%" are part of the file name, never a fragment or an escape,
    // even where a wrong reading would find another file (the decoy) to open.
    void legalPageNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("section");    // 0: the whole page, else the section a<n>
        QTest::addColumn<QString>("decoy");  // relative to the content root; empty: none

        QTest::newRow("spaces, doubled and trailing")
            << "Лабораторная  работа №3 " << 0 << "web/Лабораторная работа №3.htm";
        QTest::newRow("# in the name") << "C# и .NET" << 0 << "web/C";
        QTest::newRow("# in the name, then a section") << "C# и .NET" << 2 << "web/C";
        QTest::newRow("a name ending like a section") << "Глава.htm#a1" << 0 << "web/Глава.htm";
        QTest::newRow("a name ending like a section, then a section") << "Глава.htm#a1" << 3 << "web/Глава.htm";
        QTest::newRow("% in the name") << "Итоги 100%" << 0 << "";
        QTest::newRow("what looks like escapes") << "%D0%9A%41" << 0 << "web/КA.htm";
        QTest::newRow("escaped slashes stay characters") << "..%2F..%2Fsecret" << 0 << "../secret.htm";
        QTest::newRow("? in the name") << "Что такое ИС?" << 2 << "web/Что такое ИС";
        QTest::newRow("dots around a name") << "..Введение.." << 0 << "";
    }
    void legalPageNames() {
        QFETCH(QString, name);
        QFETCH(int, section);
        QFETCH(QString, decoy);
        Course course;
        const QString title = QStringLiteral("page ") + name;
        course.writePage(Language::Russian, name, title);
        if (!decoy.isEmpty())
            Course::writeFile(course.path() + u'/' + decoy, Course::pageHtml(QStringLiteral("decoy")));
        Session session(course.path(), Language::Russian);
        QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);

        openFromTree(Language::Russian, 1, section, name);  // "1 Неделя" renamed; its items are sections
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(Form3->WebBrowser1->url().toLocalFile(), course.pagePath(Language::Russian, name));
        QCOMPARE(shownTitle(Form3->WebBrowser1), title);
        QCOMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("location.hash")).toString(),
                 section ? QStringLiteral("#a%1").arg(section) : QString());
        QCOMPARE(errorBoxes(session.windows.desktop), QStringList());
        QVERIFY(Form3->isVisible() && !Form2->isVisible());
        // A section records its own item's label, as the course names the items of week 1.
        const QStringList week1{QStringLiteral("Лекция"), QStringLiteral("Практическая работа №1"),
                                QStringLiteral("Лабораторная работа №2")};
        const QString chapter = section ? week1.at(section - 1) : name;
        QCOMPARE(storedRegister(course.databasePath()).first(), QStringLiteral("Айгерим|") + chapter);
    }

    // Names that would leave the language's page folder (or cannot name a file) are refused with an
    // error box naming them: nothing is loaded, recorded or shown.
    void illegalPageNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("section");
        QTest::newRow("..") << ".." << 0;
        QTest::newRow(". with a section") << "." << 2;
        QTest::newRow("up and back into another page") << "../web/Введение" << 0;
        QTest::newRow("a subfolder") << "Неделя/1" << 0;
        QTest::newRow("an absolute path, with a section") << "/etc/passwd" << 1;
        QTest::newRow("a NUL character") << QString::fromUtf16(u"Введение\0.htm", 13) << 0;
    }
    void illegalPageNames() {
        QFETCH(QString, name);
        QFETCH(int, section);
        Course course;
        course.writePage(Language::Russian, QStringLiteral("Введение"), QStringLiteral("Введение"));
        Session session(course.path(), Language::Russian);
        QSignalSpy started(Form3->WebBrowser1, &QWebEngineView::loadStarted);

        openFromTree(Language::Russian, 1, section, name);
        QCOMPARE(errorBoxes(session.windows.desktop),
                 QStringList{kCaption + QStringLiteral(": Недопустимое имя страницы «%1».").arg(name)});
        // A round trip through the viewer's page: a load asked for on the way, even a queued one,
        // has begun before the answer comes back.
        QCOMPARE(evaluate(Form3->WebBrowser1, QStringLiteral("6 * 7")).toInt(), 42);
        QCOMPARE(started.size(), 0);
        QCOMPARE(Form3->LastAddress, QString());
        QVERIFY(Form2->isVisible() && !Form3->isVisible());
        QCOMPARE(Form2->StatusBar1->panelText(4), QStringLiteral("1 Неделя"));
        QCOMPARE(storedRegister(course.databasePath()), kStoredRegister);
    }

    // A page whose file is not there, one of a course that has the rest, or of a language whose
    // folder (web_kz) is missing altogether: the viewer shows the browser's error page for that
    // very file, the chapter is recorded as with any page, and once the file is put in place the
    // same entry opens it, with no restart.
    void missingPages_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("fromMenu");  // else from the chapter tree
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("item");  // empty: the top-level entry itself
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("chapter");

        const auto ru = Language::Russian;
        const auto kz = Language::Kazakh;
        QTest::newRow("Russian page from the tree") << ru << false << "Введение"
                                                    << ""
                                                    << "Введение" << 0 << "Введение";
        QTest::newRow("Russian section from the menu") << ru << true << "2 Неделя"
                                                       << "Лабораторная работа №2"
                                                       << "2 Неделя" << 2 << "2 НеделяЛабораторная работа №2";
        QTest::newRow("Kazakh page from the tree, no web_kz") << kz << false << "Кіріспе"
                                                              << ""
                                                              << "Кіріспе" << 0 << "Кіріспе";
        QTest::newRow("Kazakh section from the tree, no web_kz") << kz << false << "4 Апта"
                                                                 << "Зертханалық жұмыс№3"
                                                                 << "4 Апта" << 3 << "Зертханалық жұмыс№3";
        QTest::newRow("Kazakh section from the menu, no web_kz") << kz << true << "1 Апта"
                                                                 << "Практикалық жұмыс №1"
                                                                 << "1 Апта" << 2 << "1 АптаПрактикалық жұмыс №1";
    }
    void missingPages() {
        QFETCH(Language, language);
        QFETCH(bool, fromMenu);
        QFETCH(QString, top);
        QFETCH(QString, item);
        QFETCH(QString, page);
        QFETCH(int, section);
        QFETCH(QString, chapter);
        Course course;
        // The Russian pages are there but the one asked for; the Kazakh folder is not there at all.
        for (const QString& other : {QStringLiteral("1 Неделя"), QStringLiteral("Литература")})
            course.writePage(Language::Russian, other, other);
        QVERIFY(!QFileInfo::exists(course.path() + QStringLiteral("/web_kz")));
        Session session(course.path(), language);
        QCOMPARE(errorBoxes(session.windows.desktop), QStringList());
        QCOMPARE(mainWindow(language)->StatusBar1->panelText(2), QStringLiteral("Айгерим"));
        QWebEngineView* pane = viewer(language)->WebBrowser1;
        QSignalSpy loaded(pane, &QWebEngineView::loadFinished);

        auto open = [&] {
            if (fromMenu) {
                viewer(language)->show();
                mainWindow(language)->hide();
                openFromMenu(language, top, item);
                return;
            }
            TreeView* tree = mainWindow(language)->TreeView1;
            const QList<QTreeWidgetItem*> found = tree->findItems(top, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            int index = 0;
            if (!item.isEmpty())
                for (int i = 0; i < found[0]->childCount(); ++i)
                    if (found[0]->child(i)->text(0) == item) index = i + 1;
            openFromTree(language, tree->indexOfTopLevelItem(found[0]), index);
        };
        open();
        if (QTest::currentTestFailed()) return;
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        QCOMPARE(loaded.first().first().toBool(), false);
        const QString file = course.pagePath(language, page);
        QCOMPARE(pane->url(), AddressUrl(section ? file + QStringLiteral("#a%1").arg(section) : file));
        QVERIFY2(evaluate(pane, QStringLiteral("document.body.innerText")).toString().contains(u"ERR_FILE_NOT_FOUND"),
                 "the browser's error page is not shown");
        QVERIFY(viewer(language)->isVisible());
        QCOMPARE(errorBoxes(session.windows.desktop), QStringList());
        QCOMPARE(storedRegister(course.databasePath()).first(), QStringLiteral("Айгерим|") + chapter);
        QCOMPARE(mainWindow(language)->StatusBar1->panelText(4), chapter);

        course.writePage(language, page, QStringLiteral("now there"));
        viewer(language)->close();
        open();
        QTRY_COMPARE_WITH_TIMEOUT(shownTitle(pane), QStringLiteral("now there"), 20000);
        QCOMPARE(errorBoxes(session.windows.desktop), QStringList());
    }

    // A video is handed to the desktop whether or not it is there (the desktop reports a missing
    // one in its own box, see tst_errorbox); the program shows no box of its own, records nothing
    // and changes no window.
    void videos_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<bool>("fromMenu");
        QTest::addColumn<int>("video");
        QTest::addColumn<QString>("setUp");  // none: no video folder; others: all videos but this one;
                                             // directory: a folder in its place; all: every video
        const auto ru = Language::Russian;
        const auto kz = Language::Kazakh;
        QTest::newRow("no video folder, from the tree") << ru << false << 3 << "none";
        QTest::newRow("only this video missing, from the menu") << ru << true << 4 << "others";
        QTest::newRow("a folder in its place, Kazakh tree") << kz << false << 5 << "directory";
        QTest::newRow("only this video missing, Kazakh menu") << kz << true << 1 << "others";
        QTest::newRow("there, from the tree") << ru << false << 2 << "all";
        QTest::newRow("there, Kazakh menu") << kz << true << 5 << "all";
    }
    void videos() {
        QFETCH(Language, language);
        QFETCH(bool, fromMenu);
        QFETCH(int, video);
        QFETCH(QString, setUp);
        Course course;
        for (int v = 1; v <= 5; ++v)
            if (setUp == u"all" || (setUp != u"none" && v != video)) course.writeVideo(v);
        if (setUp == u"directory") QVERIFY(QDir().mkpath(course.videoPath(video)));
        Session session(course.path(), language);
        TMainForm* main = mainWindow(language);
        if (fromMenu) {
            viewer(language)->show();
            main->hide();
            openFromMenu(language, QStringLiteral("Видеоматериал"), QString::number(video));
        } else {
            openFromTree(language, 16, video);
        }

        const auto& desktop = session.windows.desktop;
        QCOMPARE(errorBoxes(desktop), QStringList());
        QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(course.videoPath(video))});
        QCOMPARE(viewer(language)->isVisible(), fromMenu);
        QCOMPARE(main->isVisible(), !fromMenu);
        QCOMPARE(main->StatusBar1->panelText(4), QStringLiteral("1 Неделя"));
        QCOMPARE(storedRegister(course.databasePath()), kStoredRegister);
    }

    // The program started in a folder whose path has spaces, Cyrillic letters, "#", "%" or "?":
    // the database, pages, sections and videos all open, and chapters are stored.
    void oddWorkingDirectory_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<Language>("language");
        const QString cyrillic = QStringLiteral("Мои курсы/Электронный учебник 2 курс");
        const QString signs = QStringLiteral("Курс #2 (100%) что?");
        QTest::newRow("spaces and Cyrillic, Russian") << cyrillic << Language::Russian;
        QTest::newRow("spaces and Cyrillic, Kazakh") << cyrillic << Language::Kazakh;
        QTest::newRow("#, % and ?, Russian") << signs << Language::Russian;
        QTest::newRow("#, % and ?, Kazakh") << signs << Language::Kazakh;
    }
    void oddWorkingDirectory() {
        QFETCH(QString, folder);
        QFETCH(Language, language);
        Course course(folder);
        const QString intro = language == Language::Russian ? QStringLiteral("Введение") : QStringLiteral("Кіріспе");
        const QString week = language == Language::Russian ? QStringLiteral("1 Неделя") : QStringLiteral("1 Апта");
        course.writePage(language, intro, intro);
        course.writePage(language, week, week);
        for (int v = 1; v <= 5; ++v) course.writeVideo(v);
        WorkingDirectory working(course.path());
        QCOMPARE(QDir::currentPath(), course.path());
        Session session(QDir::currentPath(), language);  // what the real desktop reports

        const auto& desktop = session.windows.desktop;
        QCOMPARE(errorBoxes(desktop), QStringList());
        QCOMPARE(mainWindow(language)->StatusBar1->panelText(2), QStringLiteral("Айгерим"));
        QWebEngineView* pane = viewer(language)->WebBrowser1;
        QSignalSpy loaded(pane, &QWebEngineView::loadFinished);

        openFromTree(language, 0);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
        QCOMPARE(loaded.last().first().toBool(), true);
        QCOMPARE(shownTitle(pane), intro);

        const QString item = language == Language::Russian ? QStringLiteral("Практическая работа №1")
                                                           : QStringLiteral("Практикалық жұмыс №1");
        openFromMenu(language, week, item);
        QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 2, 20000);
        QCOMPARE(loaded.last().first().toBool(), true);
        QCOMPARE(shownTitle(pane), week);
        QCOMPARE(evaluate(pane, QStringLiteral("location.hash")).toString(), QStringLiteral("#a2"));

        openFromMenu(language, QStringLiteral("Видеоматериал"), QStringLiteral("3"));
        QCOMPARE(desktop.opened.size(), 1);
        QCOMPARE(desktop.opened[0].toLocalFile(), course.videoPath(3));
        QVERIFY(QFileInfo(desktop.opened[0].toLocalFile()).isFile());
        QCOMPARE(errorBoxes(desktop), QStringList());
        QCOMPARE(storedRegister(course.databasePath()).first(), QStringLiteral("Айгерим|") + week + item);
    }

    // The working directory deleted, or moved away, while the program runs: opening a page (from
    // the tree or the menu) is an error box naming what is gone (a video goes to the desktop, which
    // reports it), a store is an error box that keeps the change pending, nothing is made afresh at
    // the old place, what was stored before stays stored, and the program ends cleanly.
    void workingDirectoryGone_data() {
        QTest::addColumn<QString>("how");  // deleted, moved, or deleted before a language is chosen
        QTest::newRow("deleted") << "deleted";
        QTest::newRow("moved away") << "moved";
        QTest::newRow("deleted before the language is chosen") << "deleted early";
    }
    void workingDirectoryGone() {
        QFETCH(QString, how);
        Course course;
        for (const QString& page : {QStringLiteral("Введение"), QStringLiteral("1 Неделя")})
            course.writePage(Language::Russian, page, page);
        for (int v = 1; v <= 5; ++v) course.writeVideo(v);
        const QString root = course.path();
        const QString movedTo = course.basePath() + QStringLiteral("/moved");
        auto takeAway = [&] {
            if (how == u"moved")
                QVERIFY(QDir().rename(root, movedTo));
            else
                QVERIFY(QDir(root).removeRecursively());
        };
        QStringList expectedBoxes;
        auto expectBox = [&](const QString& text) { expectedBoxes << kCaption + QStringLiteral(": ") + text; };
        const QString rootGone = QStringLiteral("Папка учебника «%1» не найдена.").arg(root);

        const QStringList storedBefore{"Айгерим|Введение", "Борис|<null>", "Сәуле|Введение"};
        WorkingDirectory working(root);
        {
            WindowSetGuard windows(QDir::currentPath());
            const auto& desktop = windows.desktop;
            if (how == u"deleted early") {
                takeAway();
                ChooseLanguage(Language::Russian);
                QCOMPARE(desktop.errors.size(), 1);
                QVERIFY2(desktop.errors[0].text.contains(root + QStringLiteral("/Base/test.db")),
                         qPrintable(desktop.errors[0].text));
                QVERIFY(Form1->isVisible() && !Form2->isVisible());
                QVERIFY(!QFileInfo::exists(root));
                return;
            }
            ChooseLanguage(Language::Russian);
            QSignalSpy loaded(Form3->WebBrowser1, &QWebEngineView::loadFinished);
            openFromTree(Language::Russian, 0);  // "Введение" opens and is stored
            QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, 20000);
            QCOMPARE(loaded.first().first().toBool(), true);
            Form3->close();
            QCOMPARE(errorBoxes(desktop), QStringList());
            QCOMPARE(storedRegister(course.databasePath()), storedBefore);

            takeAway();  // the program's working directory stays where it was, gone or moved

            openFromTree(Language::Russian, 1);
            expectBox(rootGone);
            QCOMPARE(errorBoxes(desktop), expectedBoxes);
            QVERIFY(Form2->isVisible() && !Form3->isVisible());

            Form3->show();
            Form2->hide();
            openFromMenu(Language::Russian, QStringLiteral("Введение"));
            expectBox(rootGone);
            openFromMenu(Language::Russian, QStringLiteral("1 Неделя"), QStringLiteral("Лекция"));
            expectBox(rootGone);
            openFromMenu(Language::Russian, QStringLiteral("Видеоматериал"), QStringLiteral("2"));
            QCOMPARE(errorBoxes(desktop), expectedBoxes);
            QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(root + QStringLiteral("/video/2.avi"))});
            QCOMPARE(Form3->WebBrowser1->url().toLocalFile(), root + QStringLiteral("/web/Введение.htm"));
            QCOMPARE(Form2->StatusBar1->panelText(4), QStringLiteral("Введение"));
            QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Browse);

            // A store through the register window: refused, the typed name kept pending.
            Form3->close();
            Form2->SpeedButton1->click();
            QVERIFY(Form6->isVisible());
            DataModule5->ADOTable2->edit();
            DataModule5->ADOTable2->setFieldText(QStringLiteral("user"), QStringLiteral("Айгерим Н."));
            QTest::mouseClick(Form6->DBNavigator1->button(DBNavigator::Button::Post), Qt::LeftButton);
            QCOMPARE(desktop.errors.size(), expectedBoxes.size() + 1);
            QCOMPARE(desktop.errors.last().caption, kCaption);
            QCOMPARE(desktop.errors.last().text,
                     QStringLiteral("Базы курса «%1» больше нет на месте (её удалили или переместили): attempt "
                                    "to write a readonly database.")
                         .arg(root + QStringLiteral("/Base/test.db")));
            QCOMPARE(DataModule5->ADOTable2->state(), DataSet::State::Edit);
            QCOMPARE(DataModule5->ADOTable2->fieldText(QStringLiteral("user")), QStringLiteral("Айгерим Н."));
        }  // the window set ends: the pending change is tried once more, and refused

        QVERIFY2(!QFileInfo::exists(root), "something was made afresh at the old place");
        if (how == u"moved") {
            QCOMPARE(storedRegister(movedTo + QStringLiteral("/Base/test.db")), storedBefore);
            QVERIFY(!QFileInfo::exists(movedTo + QStringLiteral("/Base/test.db-journal")));
        }
    }
};

QTEST_MAIN(TestBadContent)
#include "tst_badcontent.moc"
