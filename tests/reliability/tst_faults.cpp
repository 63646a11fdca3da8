// The user register under faults and concurrent use: a store killed at any moment, a database
// locked or made read-only by someone else, a second copy of the program, and names of any kind.
// A refused store is an error box and leaves the change pending; nothing that was stored is lost.
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>
#include <optional>

#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"
#include "platform/Handler.h"
#include "platform/RecordingDesktop.h"
#include "tests/common/Fixture.h"
#include "tests/common/Immutable.h"
#include "tests/common/OpenedRegister.h"
#include "translations/Translations.h"

using fixture::CourseRoot;
using fixture::Immutable;
using Opened = fixture::OpenedRegister;
using fixture::Immutable;

namespace {

const QString kHelper = QStringLiteral(RELIABILITY_HELPER);

// The answer of `PRAGMA integrity_check` on a database file, read by a fresh connection (which also
// rolls back a transaction a killed writer left in its journal).
QString integrity(const QString& path) {
    const QString name = QUuid::createUuid().toString();
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) return QStringLiteral("cannot open");
        QSqlQuery query(db);
        if (query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next())
            answer = query.value(0).toString();
        else
            answer = QStringLiteral("check failed");
    }
    QSqlDatabase::removeDatabase(name);
    return answer;
}

// Whether a database file has a hot rollback journal: one whose header SQLite (journal mode DELETE)
// has completed, which it does just before it writes a transaction's changes into the file and
// which it deletes at the commit. A reader rolls such a journal back. (A journal with a zeroed header
// is one whose writer had not got that far; it is no reader's concern and may outlive the writer.)
bool hotJournal(const QString& databasePath) {
    QFile journal(databasePath + QStringLiteral("-journal"));
    if (!journal.open(QIODevice::ReadOnly)) return false;
    const QByteArray magic = journal.read(8);
    return magic.size() == 8 && magic != QByteArray(8, '\0');
}

// Waits until a recording helper's first store returned (its second line is out), leaving the
// output unread; false after 10 s.
bool firstStoreReturned(QProcess& helper) {
    QDeadlineTimer deadline(10000);
    while (helper.peek(helper.bytesAvailable()).count('\n') < 2)
        if (!helper.waitForReadyRead(int(deadline.remainingTime()))) return false;
    return true;
}

// Runs the helper to the end; its exit code.
int runHelper(const QStringList& args) {
    QProcess helper;
    helper.start(kHelper, args);
    if (!helper.waitForFinished(30000)) return -1;
    return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
}

// A tmpfs of the given size mounted on a temporary directory while it lives. Mounting needs root
// (and, in a container, the right to mount); ok() tells whether it worked.
class SmallFileSystem {
public:
    explicit SmallFileSystem(int kilobytes) {
        if (!dir_.isValid()) return;
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=%1k,mode=0700").arg(kilobytes),
                                              QStringLiteral("textbook-test"), dir_.path()});
        mounted_ = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) QProcess::execute(QStringLiteral("umount"), {dir_.path()});
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool ok() const { return mounted_; }
    QString path() const { return dir_.path(); }

    // Fills the file system to its last block with a file of its own, then frees `blocks` blocks
    // of 4 kB of it. The space a failed store left taken is counted afresh each time.
    void fillLeaving(int blocks) {
        QFile filler(dir_.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered));
        const QByteArray block(kBlock, 'x');
        while (filler.write(block) == kBlock) {
        }
        const qint64 full = filler.size() - filler.size() % kBlock;
        QVERIFY(full >= blocks * kBlock);
        QVERIFY(filler.resize(full - blocks * kBlock));
    }

private:
    static constexpr int kBlock = 4096;
    QTemporaryDir dir_;
    bool mounted_ = false;
};

QStringList registerRows(const QString& path) {
    return fixture::QueryRows(path, QStringLiteral("SELECT \"user\", glava FROM user1 ORDER BY rowid"));
}

// Whether the immutable flag, on the file system of a directory, also stops writes through a file
// opened before it was set, as the database's connection is: ext4 stops them, tmpfs only new opens.
bool immutableStopsOpenFiles(const QString& directory) {
    QFile probe(directory + QStringLiteral("/immutable-probe"));
    if (!probe.open(QIODevice::ReadWrite)) return false;
    bool stopped = false;
    {
        Immutable flag(probe.fileName());
        stopped = flag.ok() && (probe.write("x", 1) != 1 || !probe.flush());
    }
    probe.close();
    probe.remove();
    return stopped;
}

}  // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    // A helper records chapters in a loop and is killed at random moments. After each kill the file
    // is sound and holds the last chapter whose store returned, or the one being stored then. Most
    // kills land while a store is in flight (the helper had begun it and it had not returned), some
    // once its changes may have reached the file: that is what the test is for, so it counts them.
    void killedWhileStoring() {
        CourseRoot root;
        const QString user = QStringLiteral("Айгерим");
        QString stored = root.rows(QStringLiteral("user1")).first().section(u'|', 1);
        QRandomGenerator random(20261210);
        int kills = 0;
        int returnedStores = 0;
        int inStore = 0;     // a store had begun and not returned
        int rolledBack = 0;  // ... and left a hot journal: the next reader rolled the file back
        int committed = 0;   // ... and had committed
        for (int run = 0; run < 200; ++run) {
            const QString prefix = QStringLiteral("r%1").arg(run);
            QProcess helper;
            helper.setReadChannel(QProcess::StandardOutput);
            helper.start(kHelper, {QStringLiteral("record"), root.databasePath(), user, prefix});
            QVERIFY2(helper.waitForStarted(10000), qPrintable(helper.errorString()));
            // Some kills land before the first store, most after it returned, while storing.
            if (run % 4 != 0) QVERIFY2(firstStoreReturned(helper), helper.readAllStandardError().constData());
            QTest::qSleep(int(random.bounded(25)));
            helper.kill();
            QVERIFY(helper.waitForFinished(10000));
            QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
            ++kills;
            const bool hot = hotJournal(root.databasePath());

            QByteArray output = helper.readAllStandardOutput();
            output.truncate(output.lastIndexOf('\n') + 1);  // a line the kill cut short does not count
            const QStringList lines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
            QStringList returned;
            for (const QString& line : lines)
                if (!line.startsWith(QStringLiteral("storing "))) returned << line;
            returnedStores += int(returned.size());
            const QString lastReturned = returned.isEmpty() ? stored : returned.last();
            const int nextIndex = returned.isEmpty() ? 0 : lastReturned.section(u'-', 1).toInt() + 1;
            const QString inFlight = prefix + u'-' + QString::number(nextIndex);
            const bool storing = !lines.isEmpty() && lines.last() == QStringLiteral("storing ") + inFlight;

            QCOMPARE(integrity(root.databasePath()), QStringLiteral("ok"));
            const QString now = root.rows(QStringLiteral("user1")).first().section(u'|', 1);
            QVERIFY2(
                now == lastReturned || now == inFlight,
                qPrintable(
                    QStringLiteral("run %1: holds %2, expected %3 or %4").arg(run).arg(now, lastReturned, inFlight)));
            QCOMPARE(root.rows(QStringLiteral("user1")).size(), 3);
            if (hot) {
                // Rolled back by the check's connection: what the store had written is gone.
                QVERIFY(storing);
                QVERIFY(!hotJournal(root.databasePath()));
                QCOMPARE(now, lastReturned);
            }
            if (now == inFlight) QVERIFY(storing);
            inStore += storing;
            rolledBack += hot;
            committed += now == inFlight;
            stored = now;
        }
        qInfo(
            "%d kills survived, %d stores returned before a kill; %d kills in a store: %d rolled back from a hot "
            "journal, %d after its commit",
            kills, returnedStores, inStore, rolledBack, committed);
        QVERIFY2(inStore >= kills / 2, "too few kills landed while a store was in flight");
    }

    // Another program holds a write lock: the store waits, fails with an error box, keeps the change
    // pending, and the next store after the lock is released succeeds.
    void lockedByAnotherProgram() {
        CourseRoot root;
        platform::RecordingDesktop desktop;
        Opened opened(root);
        const QStringList before = root.rows(QStringLiteral("user1"));

        QProcess locker;
        locker.start(kHelper, {QStringLiteral("lock"), root.databasePath()});
        QVERIFY(locker.waitForReadyRead(10000));
        QCOMPARE(locker.readLine().trimmed(), QByteArray("locked"));

        opened.users.edit();
        opened.users.setFieldText(QStringLiteral("glava"), QStringLiteral("3 Неделя"));
        platform::runGuarded([&] { opened.users.post(); });
        QCOMPARE(desktop.errors.size(), 1);
        QVERIFY2(desktop.errors[0].text.contains(QStringLiteral("locked")), qPrintable(desktop.errors[0].text));
        QCOMPARE(opened.users.state(), DataSet::State::Edit);
        QCOMPARE(opened.users.fieldText(QStringLiteral("glava")), QStringLiteral("3 Неделя"));

        locker.closeWriteChannel();
        QVERIFY(locker.waitForFinished(10000));
        QCOMPARE(locker.exitCode(), 0);
        QCOMPARE(root.rows(QStringLiteral("user1")), before);

        platform::runGuarded([&] { opened.users.post(); });
        QCOMPARE(desktop.errors.size(), 1);
        QCOMPARE(opened.users.state(), DataSet::State::Browse);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|3 Неделя"));
        QCOMPARE(integrity(root.databasePath()), QStringLiteral("ok"));
    }

    // The database file is read-only from the start (as the course the package installs is for
    // every user but root), or it or its directory becomes read-only while the program runs: the
    // store is refused with an error box that says, in Russian, that the course folder is read-only
    // and what to do, with the database's own words; the change stays pending. Once the file is
    // writable again an open connection stores it; one that opened the file read-only cannot.
    void readOnlyDatabase_data() {
        QTest::addColumn<bool>("directory");
        QTest::addColumn<bool>("fromTheStart");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file from the start") << false << true << "attempt to write a readonly database";
        QTest::newRow("file while open") << false << false << "disk I/O error";
        QTest::newRow("directory while open") << true << false << "unable to open database file";
    }
    void readOnlyDatabase() {
        QFETCH(bool, directory);
        QFETCH(bool, fromTheStart);
        QFETCH(QString, reason);
        CourseRoot root;
        platform::RecordingDesktop desktop;
        // The program speaks Russian from its start (the other cases here read the texts as written).
        translations::useLanguage(QLocale::Russian);
        const auto asWritten = qScopeGuard([] { translations::dropLanguage(); });
        const QString target = directory ? QFileInfo(root.databasePath()).absolutePath() : root.databasePath();
        if (!directory && !fromTheStart && !immutableStopsOpenFiles(root.path()))
            QSKIP("chattr +i does not stop writes to an open file here (not root, or a file system such as tmpfs)");
        std::optional<Immutable> readOnly;
        if (fromTheStart) readOnly.emplace(target);
        Opened opened(root);
        const QStringList before = root.rows(QStringLiteral("user1"));
        if (!fromTheStart) readOnly.emplace(target);
        if (!readOnly->ok()) QSKIP("chattr +i does not work here (not root, or a file system without the flag)");

        opened.users.edit();
        opened.users.setFieldText(QStringLiteral("glava"), QStringLiteral("5 Неделя"));
        platform::runGuarded([&] { opened.users.post(); });
        QCOMPARE(desktop.errors.size(), 1);
        QCOMPARE(desktop.errors[0].caption, QStringLiteral("Электронный учебник"));
        QCOMPARE(desktop.errors[0].text,
                 QStringLiteral("Изменение не сохранено: папка курса с базой «%1» доступна только для чтения (%2). "
                                "Чтобы работать с демонстрационным курсом, запустите учебник из меню: он откроет "
                                "вашу собственную копию курса. Свой курс скопируйте в папку, где у вас есть право "
                                "записи, и запускайте учебник в ней.")
                     .arg(root.databasePath(), reason));
        QVERIFY(opened.users.isModified());
        QCOMPARE(opened.users.fieldText(QStringLiteral("glava")), QStringLiteral("5 Неделя"));

        readOnly->release();
        QCOMPARE(root.rows(QStringLiteral("user1")), before);
        if (fromTheStart) return;
        platform::runGuarded([&] { opened.users.post(); });
        QCOMPARE(desktop.errors.size(), 1);
        QCOMPARE(opened.users.state(), DataSet::State::Browse);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|5 Неделя"));
    }

    // The database's folder is on a file system that is full to its last block, and then gets one
    // block more each time: every store is either refused, with one error box, the change pending
    // and the file as it was, or stored; never reported stored while undone, never half-written.
    // The long text needs pages of its own, which the file gains only at the commit.
    void fullFileSystem_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("new row") << "insert";
        QTest::newRow("changed row") << "update";
        QTest::newRow("deleted row") << "delete";
    }
    void fullFileSystem() {
        QFETCH(QString, operation);
        SmallFileSystem small(256);
        if (!small.ok()) QSKIP("cannot mount a small tmpfs here (needs root and the right to mount)");
        CourseRoot root;
        const QString path = small.path() + QStringLiteral("/test.db");
        QVERIFY(QFile::copy(root.databasePath(), path));
        const QStringList before = registerRows(path);
        const QString longText(6000, QChar(u'Ж'));
        QStringList stored = before;
        platform::RecordingDesktop desktop;
        Connection connection;
        DataSet users(&connection);
        connection.setConnectionString(path);
        users.setTableName(QStringLiteral("user1"));
        users.open();
        if (operation == u"insert") {
            users.append();
            users.setFieldText(QStringLiteral("user"), longText);
            stored << longText + QStringLiteral("|<null>");
        } else if (operation == u"update") {
            users.edit();
            users.setFieldText(QStringLiteral("glava"), longText);
            stored[0] = QStringLiteral("Айгерим|") + longText;
        } else {
            stored.removeFirst();
        }
        const DataSet::State pendingState = users.state();
        const int rowsInMemory = users.recordCount();

        int refused = 0;
        for (int free = 0;; ++free) {
            QVERIFY2(free <= 40, "still refused with 40 blocks free");
            small.fillLeaving(free);
            if (QTest::currentTestFailed()) return;
            platform::runGuarded([&] {
                if (operation == u"delete")
                    users.remove();
                else
                    users.post();
            });
            QCOMPARE(integrity(path), QStringLiteral("ok"));
            if (desktop.errors.size() == refused) {
                const QStringList now = registerRows(path);
                QVERIFY2(now == stored, qPrintable(QStringLiteral("reported stored with %1 blocks free, but the file "
                                                                  "holds %2 rows, not %3")
                                                       .arg(free)
                                                       .arg(now.size())
                                                       .arg(stored.size())));
                QCOMPARE(users.state(), DataSet::State::Browse);
                break;
            }
            QCOMPARE(desktop.errors.size(), refused + 1);
            if (refused == 0)
                QVERIFY2(desktop.errors[0].text.contains(QStringLiteral("full")), qPrintable(desktop.errors[0].text));
            ++refused;
            QCOMPARE(registerRows(path), before);
            QCOMPARE(users.state(), pendingState);
            QCOMPARE(users.recordCount(), rowsInMemory);
        }
        QVERIFY(refused > 0);
        qInfo("%s: refused with 0 to %d blocks free, stored with %d", qPrintable(operation), refused - 1, refused);
    }

    // A second copy of the program changes or deletes the row this copy has read: this copy's
    // store is refused with a clear error and the other copy's work stays as it stored it.
    void secondCopyOfTheProgram_data() {
        QTest::addColumn<QStringList>("otherCopy");
        QTest::addColumn<QString>("storedFirstRow");
        QTest::newRow("row changed") << QStringList{"change", "Айгерим", "7 Неделя"} << "Айгерим|7 Неделя";
        QTest::newRow("row deleted") << QStringList{"delete", "Айгерим"} << "Борис|<null>";
    }
    void secondCopyOfTheProgram() {
        QFETCH(QStringList, otherCopy);
        QFETCH(QString, storedFirstRow);
        CourseRoot root;
        platform::RecordingDesktop desktop;
        Opened opened(root);
        QStringList args = otherCopy;
        args.insert(1, root.databasePath());
        QCOMPARE(runHelper(args), 0);

        opened.users.edit();
        opened.users.setFieldText(QStringLiteral("glava"), QStringLiteral("Введение"));
        platform::runGuarded([&] { opened.users.post(); });
        QCOMPARE(desktop.errors.size(), 1);
        QVERIFY2(desktop.errors[0].text.contains(QStringLiteral("changed or deleted by another user")),
                 qPrintable(desktop.errors[0].text));
        QVERIFY(opened.users.isModified());
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), storedFirstRow);
    }

    // Any name and chapter text is stored and read back unchanged, by this copy and by a fresh one.
    void namesAndChaptersRoundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("quotes") << QStringLiteral("O'Brien \"Жан\" `x` ''");
        QTest::newRow("sql keywords") << QStringLiteral("Robert'); DROP TABLE user1;-- SELECT * FROM test");
        QTest::newRow("kazakh letters") << QStringLiteral("Әлия Ғұмар Қожа Ңұр Өмір Ұлан Үміт Һ І");
        QTest::newRow("emoji") << QStringLiteral("Студент 🎓👩🏽‍💻");
        QTest::newRow("10000 characters") << QString(10000, QChar(u'Ж'));
        QTest::newRow("empty") << QString();
        QTest::newRow("control characters") << QStringLiteral("a\tb\nc\r\nd");
    }
    void namesAndChaptersRoundTrip() {
        QFETCH(QString, text);
        CourseRoot root;
        {
            Opened opened(root);
            opened.users.append();
            opened.users.setFieldText(QStringLiteral("user"), text);
            opened.users.setFieldText(QStringLiteral("glava"), text + QStringLiteral(" глава"));
            opened.users.post();
            QCOMPARE(opened.users.fieldText(QStringLiteral("user")), text);
            QCOMPARE(opened.users.recordCount(), 4);
        }
        Opened fresh(root);
        QCOMPARE(fresh.users.recordCount(), 4);
        fresh.users.last();
        QCOMPARE(fresh.users.fieldText(QStringLiteral("user")), text);
        QCOMPARE(fresh.users.fieldText(QStringLiteral("glava")), text + QStringLiteral(" глава"));
        // The chapter is then recorded over the same row and read back again.
        fresh.users.edit();
        fresh.users.setFieldText(QStringLiteral("glava"), text);
        fresh.users.post();
        Opened third(root);
        third.users.last();
        QCOMPARE(third.users.fieldText(QStringLiteral("glava")), text);
        QCOMPARE(root.rows(QStringLiteral("test"), QStringLiteral("count(*)")), QStringList{"30"});
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
