// The installed textbook, started as the desktop's menu starts it: `cmake --install` into a
// temporary prefix, the menu entry's command run with the program found on PATH there and the
// user's home and XDG folders in a temporary directory, under Xvfb, driven with xdotool. The first
// start makes the user's copy of the demo course and shows the language window; a user registered
// in it is still there at the second start, which does not copy the database again. Arguments the
// program does not take leave the language window as it is.
#include <sys/stat.h>

#include <QDirIterator>
#include <QGuiApplication>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "tests/common/XDriver.h"

using xdriver::click;
using xdriver::waitForWindow;
using xdriver::windowRect;
using xdriver::xdotool;

namespace {

const QString kBuild = QStringLiteral(TEXTBOOK_BINARY_DIR);

// What the screen shows of a window once it has stopped changing.
QImage settledPicture(const QString& id) {
    const QRect rect = windowRect(id);
    QImage last;
    for (int tries = 0; tries < 50; ++tries) {
        QTest::qWait(200);
        const QImage now =
            QGuiApplication::primaryScreen()->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage();
        if (!last.isNull() && now == last) return now;
        last = now;
    }
    return {};
}

ino_t inode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QStringList registeredUsers(const QString& database) {
    QStringList users;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(QStringLiteral("SELECT \"user\" FROM user1 ORDER BY rowid"), db);
            while (query.next()) users << query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return users;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files under a folder, by their path in it.
QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display (run under xvfb-run)");
        QVERIFY(dir_.isValid());
        prefix_ = dir_.filePath(QStringLiteral("prefix"));
        QProcess install;
        install.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        install.start(QStringLiteral("cmake"),
                      {QStringLiteral("--install"), kBuild, QStringLiteral("--prefix"), prefix_});
        QVERIFY(install.waitForFinished(120000));
        QCOMPARE(install.exitCode(), 0);

        // The menu entry's command, the program taken from PATH as the desktop takes it.
        QFile entry(prefix_ + QStringLiteral("/share/applications/textbook.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString exec =
            QString::fromUtf8(entry.readAll()).section(QStringLiteral("\nExec="), 1).section(u'\n', 0, 0);
        command_ = exec.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(!command_.isEmpty(), "the menu entry has no Exec line");
        const QString program = QStandardPaths::findExecutable(command_.first(), {prefix_ + QStringLiteral("/bin")});
        QCOMPARE(program, prefix_ + QStringLiteral("/bin/textbook"));
        command_.first() = program;

        home_ = dir_.filePath(QStringLiteral("home"));
        for (const char* folder : {"home", "data", "config", "cache", "runtime"})
            QVERIFY(QDir(dir_.path()).mkpath(QLatin1String(folder)));
        QVERIFY(QFile::setPermissions(dir_.filePath(QStringLiteral("runtime")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        copy_ = dir_.filePath(QStringLiteral("data/textbook/course"));
    }

    // The first start from the menu: the copy is made whole, the language window shows, and the
    // student registers a user in the register window.
    void firstStartMakesTheUsersCourse() {
        QProcess program;
        start(program);
        const QString language = waitForWindow(QStringLiteral("Выбор языка"), QSize(638, 452), 60000);
        QVERIFY2(!language.isEmpty(), "the language window did not appear");
        picture_ = settledPicture(language);
        QVERIFY(!picture_.isNull());

        const QString installed = prefix_ + QStringLiteral("/share/textbook/course");
        QCOMPARE(filesUnder(copy_), filesUnder(installed));
        QVERIFY(filesUnder(copy_).contains(QStringLiteral("web/1 Неделя.htm")));
        const QString database = copy_ + QStringLiteral("/Base/test.db");
        QCOMPARE(contents(database), contents(installed + QStringLiteral("/Base/test.db")));
        databaseInode_ = inode(database);
        const QStringList before = registeredUsers(database);
        QVERIFY(!before.isEmpty());
        QVERIFY(!before.contains(QStringLiteral("Packaged")));

        click(language, 450 + 33, 388 + 20);  // "Rus"
        const QString main = waitForWindow(QStringLiteral("Электронный учебник"), QSize(892, 705));
        QVERIFY2(!main.isEmpty(), "the main window did not appear");
        click(main, 114 + 95, 54 + 11);  // "Регистрация пользователя"
        const QString users = waitForWindow(QStringLiteral("Ввод пользователя"));
        QVERIFY2(!users.isEmpty(), "the register window did not appear");
        // A new row typed in the grid (the edit box would leave the untouched new row, which drops it).
        click(users, 14 + 100, 17 + 33);   // the grid's first row
        click(users, 287 + 10, 187 + 10);  // the navigator's Insert
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("Packaged")});
        click(users, 287 + 50, 187 + 10);  // Post
        QTRY_VERIFY_WITH_TIMEOUT(registeredUsers(database).contains(QStringLiteral("Packaged")), 15000);
        registered_ = registeredUsers(database);

        click(main, 827 + 14, 16 + 12);  // the main window's "X" ends the program
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
    }

    // The second start, with arguments the program does not take (some of them Qt's, which would
    // change how windows look): the same database file with the user in it, and the language
    // window exactly as before.
    void secondStartKeepsTheRegister() {
        if (registered_.isEmpty()) QSKIP("the first start failed");
        QProcess program;
        start(program, {QStringLiteral("-reverse"), QStringLiteral("-stylesheet"), QStringLiteral("none.qss"),
                        QStringLiteral("--no-such-option")});
        const QString language = waitForWindow(QStringLiteral("Выбор языка"), QSize(638, 452));
        QVERIFY2(!language.isEmpty(), "the language window did not appear");
        QCOMPARE(settledPicture(language), picture_);
        const QString database = copy_ + QStringLiteral("/Base/test.db");
        QCOMPARE(inode(database), databaseInode_);
        QCOMPARE(registeredUsers(database), registered_);

        click(language, 542 + 30, 411 + 7);  // "Выход"
        QVERIFY2(program.waitForFinished(30000), "the program did not end");
        QCOMPARE(program.exitCode(), 0);
        const QString said = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("textbook: ignoring \"-reverse\"")), qPrintable(said));
    }

private:
    void start(QProcess& program, const QStringList& more = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_);
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir_.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("runtime")));
        env.remove(QStringLiteral("TEXTBOOK_DATABASE"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(home_);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(command_.first(), command_.mid(1) + more);
        QVERIFY(program.waitForStarted());
    }

    QTemporaryDir dir_;
    QString prefix_, home_, copy_;
    QStringList command_;
    QImage picture_;
    ino_t databaseInode_ = 0;
    QStringList registered_;
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
