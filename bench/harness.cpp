// In-process figures, each against its bare baseline, printed one measurement a line as
// "<benchmark>\t<textbook|baseline>\t<value>" (nanoseconds). Runs offscreen.
//
//   bench_harness fill DATABASE ROWS        fills user1 up to ROWS rows (not a figure)
//   bench_harness mask REPS                 CreateMaskRegion against the per-strip subtraction, on DW1
//   bench_harness chapter ROOT REPS OPS     RecordChapter + ShowCurrentUser against a prepared UPDATE
//   bench_harness scale-textbook ROOT       the language choice and the register at its last row
//   bench_harness scale-baseline DATABASE   all rows of user1 read with a forward-only query
//   bench_harness server-chapter SERVER ROOT REPS OPS
//                                           RecordChapter + ShowCurrentUser on a PostgreSQL copy of
//                                           ROOT's database against a prepared UPDATE in autocommit
//   bench_harness server-load SERVER CLIENT SECONDS CLIENTS PAUSE_MS
//                                           CLIENTS register_clients storing at once for SECONDS:
//                                           store latency p50 and p99 (ns), and stores a second
// SERVER is the superuser's address of a PostgreSQL server (tests/postgres/server.sh writes it);
// each server figure makes a database of its own there.
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "BareWindow.h"
#include "ClientRun.h"
#include "Connection.h"
#include "CourseDb.h"
#include "DataSet.h"
#include "MainForm.h"
#include "StatusBar.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit5.h"
#include "Unit6.h"
#include "WindowSet.h"
#include "maskregion.h"

// The pictures are compiled into the windows library; Qt's macro must not stand in a namespace.
static void initPictures() { Q_INIT_RESOURCE(images); }

namespace {

qint64 now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void report(const char* benchmark, const QByteArray& side, qint64 value) {
    std::printf("%s\t%s\t%lld\n", benchmark, side.constData(), static_cast<long long>(value));
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_harness: %s\n", qPrintable(why));
    std::exit(1);
}

// Processes events until the condition holds; fails after the timeout.
void waitUntil(const std::function<bool()>& condition, const char* what, int timeoutMs = 20000) {
    const qint64 deadline = now() + qint64(timeoutMs) * 1000000;
    while (!condition()) {
        if (now() > deadline) fail(QStringLiteral("timed out waiting for %1").arg(QLatin1String(what)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

// Notes the first paint a widget gets after being armed.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    void arm() { painted_ = false; }
    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) painted_ = true;
        return false;
    }

private:
    QWidget* widget_;
    bool painted_ = false;
};

QSqlDatabase openDatabase(const QString& path, const QString& name) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!QFileInfo::exists(path) || !db.open()) fail(QStringLiteral("cannot open %1").arg(path));
    return db;
}

void exec(QSqlQuery& query) {
    if (!query.exec()) fail(query.lastError().text());
}

// Fills the register up to the given number of rows in one transaction.
int fill(const QString& path, int rows) {
    {
        QSqlDatabase db = openDatabase(path, QStringLiteral("fill"));
        QSqlQuery count(db);
        if (!count.exec(QStringLiteral("SELECT count(*) FROM user1")) || !count.next()) fail(count.lastError().text());
        const int existing = count.value(0).toInt();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO user1 (user, glava) VALUES (?, ?)"));
        for (int n = existing + 1; n <= rows; ++n) {
            insert.bindValue(0, QStringLiteral("Пользователь %1").arg(n));
            insert.bindValue(1, QStringLiteral("%1 Неделя").arg(n % 15 + 1));
            exec(insert);
        }
        if (!db.commit()) fail(db.lastError().text());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return 0;
}

// The mask of the main windows, as the program reads it from its resources.
int mask(int reps) {
    initPictures();
    const QImage dw1 = LoadMask(QStringLiteral(":/images/DW1.bmp"));
    if (!CreateMaskRegion(dw1).xored(CreateMaskRegionPerStrip(dw1)).isEmpty())
        fail(QStringLiteral("the two mask regions differ"));
    // The fast one is timed over enough calls to take a few milliseconds.
    int calls = 1;
    for (qint64 t = 0; t < 5000000 && calls < (1 << 20); calls *= 2) {
        const qint64 start = now();
        for (int i = 0; i < calls; ++i) (void)CreateMaskRegion(dw1).rectCount();
        t = now() - start;
    }
    for (int rep = 0; rep < reps; ++rep) {
        qint64 start = now();
        for (int i = 0; i < calls; ++i) (void)CreateMaskRegion(dw1).rectCount();
        report("mask-region", "textbook", (now() - start) / calls);
        start = now();
        (void)CreateMaskRegionPerStrip(dw1).rectCount();
        report("mask-region", "baseline", now() - start);
    }
    return 0;
}

void createWindowSet(const QString& root) {
    if (!QDir::setCurrent(root)) fail(QStringLiteral("no content root %1").arg(root));
    CreateWindowSet();
}

// The chapter store as the main window's handler makes it, against the bare statement on the same
// file. The baseline writes another row, so that the textbook's row stays as it read it.
int chapter(const QString& root, int reps, int ops) {
    createWindowSet(root);
    DataModule5->OpenCourseDatabase(Language::Russian);
    if (DataModule5->ADOTable2->recordCount() < 2) fail(QStringLiteral("the register needs two rows"));
    const QVariant otherRow = [] {
        QSqlDatabase db = openDatabase(CourseDatabasePath(Form1->ContentRoot), QStringLiteral("probe"));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT rowid FROM user1 LIMIT 1 OFFSET 1")) || !q.next())
            fail(q.lastError().text());
        return q.value(0);
    }();
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    {
        QSqlDatabase db = openDatabase(CourseDatabasePath(Form1->ContentRoot), QStringLiteral("baseline"));
        QSqlQuery update(db);
        update.prepare(QStringLiteral("UPDATE user1 SET glava = ? WHERE rowid = ?"));
        const QString texts[] = {QStringLiteral("1 НеделяЛекция"), QStringLiteral("2 НеделяПрактическая работа №2")};
        int turn = 0;
        for (int rep = 0; rep < reps; ++rep) {
            qint64 start = now();
            for (int i = 0; i < ops; ++i) {
                DataModule5->RecordChapter(texts[turn++ % 2]);
                DataModule5->ShowCurrentUser(Form2->StatusBar1);
            }
            report("chapter-store", "textbook", (now() - start) / ops);
            start = now();
            for (int i = 0; i < ops; ++i) {
                db.transaction();
                update.bindValue(0, texts[turn++ % 2]);
                update.bindValue(1, otherRow);
                exec(update);
                if (!db.commit()) fail(db.lastError().text());
            }
            report("chapter-store", "baseline", (now() - start) / ops);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("baseline"));
    DestroyWindowSet();
    return 0;
}

// A database of its own on the server, holding the tables of a course database file as a course
// team pushes them there; its address.
QString serverCopy(const QString& server, const QString& name, const QString& courseFile) {
    {
        Connection connection;
        connection.setConnectionString(server);
        try {
            connection.open();
        } catch (const platform::Failure& failure) {
            fail(failure.message());
        }
        QSqlQuery query(connection.database());
        if (!query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name)) ||
            !query.exec(QStringLiteral("CREATE DATABASE %1").arg(name)))
            fail(query.lastError().text());
    }
    QUrl address(server);
    address.setPath(u'/' + name);
    try {
        coursedb::PushDatabase(courseFile, address.toString(), false);
    } catch (const platform::Failure& failure) {
        fail(failure.message());
    }
    return address.toString();
}

// The chapter store of the main window's handler with the course database on a server, against
// the bare statement over the same kind of connection: prepared once, executed in autocommit (one
// round trip, which commits). The baseline writes another row, so that the textbook's row stays as
// it read it.
int serverChapter(const QString& server, const QString& root, int reps, int ops) {
    const QString address = serverCopy(server, QStringLiteral("bench_chapter"), CourseDatabasePath(root));
    qputenv("TEXTBOOK_DATABASE", address.toUtf8());
    createWindowSet(root);
    DataModule5->OpenCourseDatabase(Language::Russian);
    if (DataModule5->ADOTable2->recordCount() < 2) fail(QStringLiteral("the register needs two rows"));
    {
        Connection connection;
        connection.setConnectionString(address);
        connection.open();
        QSqlDatabase db = connection.database();
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT rowid FROM user1 ORDER BY rowid LIMIT 1 OFFSET 1")) || !probe.next())
            fail(probe.lastError().text());
        const QVariant otherRow = probe.value(0);
        QSqlQuery update(db);
        if (!update.prepare(QStringLiteral("UPDATE user1 SET glava = ? WHERE rowid = ?")))
            fail(update.lastError().text());
        const QString texts[] = {QStringLiteral("1 НеделяЛекция"), QStringLiteral("2 НеделяПрактическая работа №2")};
        int turn = 0;
        for (int rep = 0; rep < reps; ++rep) {
            qint64 start = now();
            for (int i = 0; i < ops; ++i) {
                DataModule5->RecordChapter(texts[turn++ % 2]);
                DataModule5->ShowCurrentUser(Form2->StatusBar1);
            }
            report("server-chapter-store", "textbook", (now() - start) / ops);
            start = now();
            for (int i = 0; i < ops; ++i) {
                update.bindValue(0, texts[turn++ % 2]);
                update.bindValue(1, otherRow);
                exec(update);
            }
            report("server-chapter-store", "baseline", (now() - start) / ops);
        }
    }
    DestroyWindowSet();
    return 0;
}

// A lab's machines storing at once into their own register rows, as the load test runs them.
int serverLoad(const QString& server, const QString& client, int seconds, int clients, int pauseMs) {
    QTemporaryDir work;
    if (!work.isValid()) fail(QStringLiteral("no temporary directory"));
    coursedb::Table users{QStringLiteral("user1"), coursedb::UserRegisterFields(), {}};
    for (int i = 0; i < clients; ++i)
        users.rows << QStringList{QStringLiteral("Студент %1").arg(i), QStringLiteral("Введение")};
    const QString file = work.filePath(QStringLiteral("lab.db"));
    coursedb::WriteDatabase(file, {users});
    clientrun::Options options;
    options.program = client;
    options.address = serverCopy(server, QStringLiteral("bench_load"), file);
    options.seconds = seconds;
    options.renameEvery = 10;
    options.pauseMs = pauseMs;
    QList<clientrun::Client> runs;
    for (int i = 0; i < clients; ++i) {
        clientrun::Client c;
        c.user = users.rows[i][0];
        c.tag = QStringLiteral("c%1").arg(i);
        c.log = work.filePath(c.tag + QStringLiteral(".log"));
        runs << c;
    }
    qint64 loadNs = 0;
    clientrun::Run(options, runs, &loadNs);
    QList<qint64> latencies;
    for (const clientrun::Client& c : runs) {
        if (!c.ready || !c.finished || c.crashed || c.exitCode != 0)
            fail(QStringLiteral("client %1 failed: %2").arg(c.tag, c.output));
        for (const clientrun::Store& s : c.stores) {
            if (!s.ok) fail(QStringLiteral("client %1: a store failed: %2").arg(c.tag, s.message));
            latencies << s.ns;
        }
    }
    std::sort(latencies.begin(), latencies.end());
    const QByteArray pace = pauseMs > 0 ? "paced" : "flat";
    report("server-load", pace + "-clients", clients);
    report("server-load", pace + "-p50", clientrun::Percentile(latencies, 0.50));
    report("server-load", pace + "-p99", clientrun::Percentile(latencies, 0.99));
    report("server-load", pace + "-rate", qint64(double(latencies.size()) / (double(loadNs) / 1e9)));
    report("server-load", pace + "-stores", latencies.size());
    return 0;
}

// From the click on "Rus" to the main window's first frame, then the register opened from it and
// moved to its last row (Ctrl+End in the grid) until the grid has painted that row.
int scaleTextbook(const QString& root) {
    createWindowSet(root);
    PaintWatch language(Form1);
    PaintWatch main(Form2);
    Form1->show();
    waitUntil([&] { return language.painted(); }, "the language window");
    QCoreApplication::processEvents();

    const qint64 start = now();
    Form1->SpeedButton1->click();
    waitUntil([&] { return main.painted(); }, "the main window");
    const qint64 chosen = now();

    auto* grid = Form6->findChild<QTableView*>();
    if (!grid) fail(QStringLiteral("the register has no grid"));
    PaintWatch registerPaint(Form6);
    PaintWatch gridPaint(grid->viewport());
    Form2->SpeedButton1->click();
    waitUntil([&] { return registerPaint.painted() && gridPaint.painted(); }, "the register");
    gridPaint.arm();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(grid, &key);
    }
    waitUntil([&] { return gridPaint.painted(); }, "the register's last row");
    const qint64 end = now();

    const int last = DataModule5->ADOTable2->recordCount() - 1;
    if (DataModule5->ADOTable2->currentRow() != last || grid->currentIndex().row() != last ||
        grid->verticalScrollBar()->value() != grid->verticalScrollBar()->maximum())
        fail(QStringLiteral("the register did not reach its last row"));
    report("scale", "textbook", end - start);
    report("scale-language", "textbook", chosen - start);
    report("scale-register", "textbook", end - chosen);
    // The process ends here: tearing down the window set is no part of the figure.
    std::_Exit(0);
}

int scaleBaseline(const QString& path) {
    const qint64 start = now();
    qsizetype count = 0;
    {
        QSqlDatabase db = openDatabase(path, QStringLiteral("baseline"));
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT rowid, * FROM user1"))) fail(query.lastError().text());
        const int fields = query.record().count();
        QList<QList<QVariant>> rows;
        while (query.next()) {
            QList<QVariant> row;
            row.reserve(fields);
            for (int i = 0; i < fields; ++i) row.append(query.value(i));
            rows.append(std::move(row));
        }
        count = rows.size();
    }
    const qint64 end = now();
    if (count == 0) fail(QStringLiteral("the register is empty"));
    report("scale", "baseline", end - start);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char* argv[]) {
    // The figures are the program's own work, not a display's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window set holds browser views: the application starts as the textbook's does.
    prepareLikeTheTextbook();
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    const QString mode = args.value(1);
    if (mode == u"fill" && args.size() == 4) return fill(args[2], args[3].toInt());
    if (mode == u"mask" && args.size() == 3) return mask(args[2].toInt());
    if (mode == u"chapter" && args.size() == 5) return chapter(args[2], args[3].toInt(), args[4].toInt());
    if (mode == u"scale-textbook" && args.size() == 3) return scaleTextbook(args[2]);
    if (mode == u"scale-baseline" && args.size() == 3) return scaleBaseline(args[2]);
    try {
        if (mode == u"server-chapter" && args.size() == 6)
            return serverChapter(args[2], args[3], args[4].toInt(), args[5].toInt());
        if (mode == u"server-load" && args.size() == 7)
            return serverLoad(args[2], args[3], args[4].toInt(), args[5].toInt(), args[6].toInt());
    } catch (const platform::Failure& failure) {
        fail(failure.message());
    }
    std::fprintf(stderr, "usage: see the head of bench/harness.cpp\n");
    return 2;
}
