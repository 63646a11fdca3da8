// In-process figures, each against its bare baseline, printed one measurement a line as
// "<benchmark>\t<textbook|baseline>\t<value>" (nanoseconds). Runs offscreen.
//
//   bench_harness fill DATABASE ROWS        fills user1 up to ROWS rows (not a figure)
//   bench_harness mask REPS                 CreateMaskRegion against the per-strip subtraction, on DW1
//   bench_harness chapter ROOT REPS OPS     RecordChapter + ShowCurrentUser against a prepared UPDATE
//   bench_harness scale-textbook ROOT       the language choice and the register at its last row
//   bench_harness scale-baseline DATABASE   all rows of user1 read with a forward-only query
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
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "BareWindow.h"
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

void report(const char* benchmark, const char* side, qint64 value) {
    std::printf("%s\t%s\t%lld\n", benchmark, side, static_cast<long long>(value));
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
    std::fprintf(stderr, "usage: see the head of bench/harness.cpp\n");
    return 2;
}
