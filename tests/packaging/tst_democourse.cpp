// The user's copy of the demo course, as the menu entry makes it: whole at the first start, its
// pages brought up to date by later starts while its database stays the user's, and never taken
// for complete after a start that could not finish.
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDirIterator>
#include <QtTest>
#include <csignal>

#include "app/democourse/DemoCourse.h"
#include "platform/failure/Failure.h"

namespace {

using Files = QMap<QString, QByteArray>;

void writeFile(const QString& path, const QByteArray& contents) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file under a folder, hidden ones too, with its contents.
Files filesUnder(const QString& root) {
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), readFile(path));
    }
    return files;
}

ino_t inode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// An installed course: pages of both languages, the stylesheet, a video and a database far larger
// than the rest, so that a limit on file sizes stops the copy at the database.
class Installed {
public:
    Installed() {
        writeFile(path(QStringLiteral("web/1 Неделя.htm")), "<p>Неделя 1</p>");
        writeFile(path(QStringLiteral("web_kz/1 Апта.htm")), "<p>Апта 1</p>");
        writeFile(path(QStringLiteral("style.css")), "p { margin: 0 }");
        writeFile(path(QStringLiteral("video/1.avi")), QByteArray(3000, 'v'));
        writeFile(path(QStringLiteral("Base/test.db")), QByteArray(256 * 1024, 'd'));
    }
    QString root() const { return dir_.path(); }
    QString path(const QString& relative) const { return dir_.path() + u'/' + relative; }

private:
    QTemporaryDir dir_;
};

// While it lives, no file of this process may grow beyond `bytes`; a write beyond fails as on a
// full disk (the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool ok_ = false;
};

}  // namespace

class TestDemoCourse : public QObject {
    Q_OBJECT

private slots:
    void firstStartCopiesTheWholeCourse() {
        const Installed installed;
        QTemporaryDir home;
        const QString copy = home.filePath(QStringLiteral("data/textbook/course"));
        PrepareDemoCourse(installed.root(), copy);
        QCOMPARE(filesUnder(copy), filesUnder(installed.root()));
        QVERIFY(QFileInfo(copy + QStringLiteral("/Base/test.db")).isWritable());
    }

    // A later start, after the user registered and after an upgrade of the package changed the
    // pages and the demo database: the pages follow the installed course, a video the user lost
    // comes back, and the user's database is the same file, untouched.
    void laterStartsFollowThePagesAndKeepTheDatabase() {
        Installed installed;
        QTemporaryDir home;
        const QString copy = home.path() + QStringLiteral("/course");
        PrepareDemoCourse(installed.root(), copy);
        const QString database = copy + QStringLiteral("/Base/test.db");
        // Of a size neither demo database has, so that a copy of either would show.
        writeFile(database, "the user's register of users");
        const ino_t databaseFile = inode(database);
        QVERIFY(QFile::remove(copy + QStringLiteral("/video/1.avi")));

        // The upgrade: the same size, another time; and a page of another size.
        const QString page = installed.path(QStringLiteral("web/1 Неделя.htm"));
        writeFile(page, "<p>Неделя 2</p>");
        QFile touched(page);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
        touched.close();
        writeFile(installed.path(QStringLiteral("web_kz/1 Апта.htm")), "<p>Апта 1, түзетілген</p>");
        writeFile(installed.path(QStringLiteral("Base/test.db")), "a new demo database");

        PrepareDemoCourse(installed.root(), copy);
        Files expected = filesUnder(installed.root());
        expected[QStringLiteral("Base/test.db")] = "the user's register of users";
        QCOMPARE(filesUnder(copy), expected);
        QCOMPARE(inode(database), databaseFile);
    }

    // A first start stopped by a full disk while it copies the database leaves no database under
    // its name (the next start would take a piece of one for the user's), and says what failed;
    // the next start with room completes the copy.
    void interruptedFirstStartIsCompletedLater() {
        const Installed installed;
        QTemporaryDir home;
        const QString copy = home.path() + QStringLiteral("/course");
        {
            FileSizeLimit limit(64 * 1024);
            if (!limit.ok()) QSKIP("cannot limit the size of files here");
            try {
                PrepareDemoCourse(installed.root(), copy);
                QFAIL("the copy was reported complete");
            } catch (const platform::Failure& failure) {
                QVERIFY2(failure.message().contains(QStringLiteral("«Base/test.db»")), qPrintable(failure.message()));
                QVERIFY2(failure.message().contains(copy), qPrintable(failure.message()));
            }
        }
        const Files partial = filesUnder(copy);
        QVERIFY(!partial.contains(QStringLiteral("Base/test.db")));
        const Files whole = filesUnder(installed.root());
        for (auto file = partial.begin(); file != partial.end(); ++file)
            QVERIFY2(whole.value(file.key()) == file.value(), qPrintable(file.key() + QStringLiteral(" is not whole")));

        PrepareDemoCourse(installed.root(), copy);
        QCOMPARE(filesUnder(copy), whole);
    }

    // Without the installed course there is nothing to copy: the start fails and makes no empty
    // course the next start would open.
    void missingInstalledCourseMakesNoCopy() {
        QTemporaryDir home;
        const QString copy = home.path() + QStringLiteral("/course");
        QVERIFY_THROWS_EXCEPTION(platform::Failure,
                                 PrepareDemoCourse(home.path() + QStringLiteral("/not-installed"), copy));
        QVERIFY(!QFileInfo::exists(copy));
    }

    // The installed program finds the course its package installed beside it, under any prefix.
    void installedCourseLiesUnderTheProgramsPrefix() {
        QCOMPARE(InstalledDemoCourse(QStringLiteral("/usr/bin")), QStringLiteral("/usr/share/textbook/course"));
        QCOMPARE(InstalledDemoCourse(QStringLiteral("/tmp/x/bin")), QStringLiteral("/tmp/x/share/textbook/course"));
    }

    void userCopyIsInTheUsersDataFolder() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        QCOMPARE(UserDemoCourse(), data.path() + QStringLiteral("/textbook/course"));
    }
};

QTEST_GUILESS_MAIN(TestDemoCourse)
#include "tst_democourse.moc"
