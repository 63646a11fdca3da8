// A lab on the shared course database: many machines store chapters and names at once, each
// through the program's own Connection and DataSet (register_client). The server notes every change
// of a register row in a history table of its own (a trigger), and the run is checked against it:
// every store a client saw succeed reached the server, in its order, replacing what the client had
// read; the server never held a value no client saw stored; a store refused as a conflict left
// nothing behind; nobody waited forever. The store latencies go to the log.
//
// TEXTBOOK_LOAD_SECONDS sets how long the lab's clients store (ctest: 30).
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include "ClientRun.h"
#include "data/cursor/Connection.h"
#include "tests/common/Fixture.h"

using fixture::CourseRoot;

namespace {

const QString kClient = QStringLiteral(REGISTER_CLIENT);

int loadSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TEXTBOOK_LOAD_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 30;
}

// The server's own record of every change of a register row, in the order each row took them.
void noteEveryChange(const CourseRoot& root) {
    root.exec(
        QStringLiteral("CREATE TABLE store_history (n bigserial PRIMARY KEY, row_key bigint, old_user text, "
                       "new_user text, old_glava text, new_glava text)"));
    root.exec(QStringLiteral(
        "CREATE FUNCTION note_change() RETURNS trigger AS $$ BEGIN "
        "IF TG_OP = 'UPDATE' THEN INSERT INTO store_history (row_key, old_user, new_user, old_glava, new_glava) "
        "VALUES (OLD.rowid, OLD.\"user\", NEW.\"user\", OLD.glava, NEW.glava); "
        "ELSE INSERT INTO store_history (row_key, old_user) VALUES (coalesce(OLD.rowid, NEW.rowid), TG_OP); END IF; "
        "RETURN NULL; END $$ LANGUAGE plpgsql"));
    root.exec(
        QStringLiteral("CREATE TRIGGER note_change AFTER INSERT OR UPDATE OR DELETE ON user1 FOR EACH ROW "
                       "EXECUTE FUNCTION note_change()"));
}

// One change the server made to a row.
struct Change {
    QString field;  // "user" or "glava"; empty for a change of both, none, or an insert or delete
    QString oldValue;
    QString newValue;
    QString what;  // as found, for messages
};

// A register row: its values by field ("user", "glava").
using Row = QHash<QString, QString>;

struct Run {
    QHash<QString, Row> initial;  // by row key
    QHash<QString, Row> final;
    QHash<QString, QList<Change>> history;  // by row key, in order
    QList<clientrun::Client> clients;
    QHash<QString, QString> rowOf;  // client tag -> row key
};

QHash<QString, Row> readRows(const QString& address) {
    QHash<QString, Row> rows;
    for (const QString& line :
         fixture::QueryRows(address, QStringLiteral("SELECT rowid, \"user\", glava FROM user1"))) {
        const QStringList f = line.split(u'|');
        rows[f[0]] = Row{{QStringLiteral("user"), f[1]}, {QStringLiteral("glava"), f[2]}};
    }
    return rows;
}

QHash<QString, QList<Change>> readHistory(const QString& address) {
    QHash<QString, QList<Change>> history;
    for (const QString& line :
         fixture::QueryRows(address, QStringLiteral("SELECT row_key, old_user, new_user, old_glava, new_glava "
                                                    "FROM store_history ORDER BY n"))) {
        const QStringList f = line.split(u'|');
        Change change;
        change.what = line;
        const bool userChanged = f[1] != f[2];
        const bool glavaChanged = f[3] != f[4];
        if (f[2] != u"<null>" && userChanged != glavaChanged) {
            change.field = userChanged ? QStringLiteral("user") : QStringLiteral("glava");
            change.oldValue = userChanged ? f[1] : f[3];
            change.newValue = userChanged ? f[2] : f[4];
        }
        history[f[0]] << change;
    }
    return history;
}

QString describe(const clientrun::Store& s) {
    return QStringLiteral("%1=%2 (replacing %3)").arg(s.field, s.value, s.replaced);
}

// Everything the run shows that went wrong; empty when every store is accounted for.
QStringList findFaults(const Run& run) {
    QStringList faults;
    const QList<QString> before = run.initial.keys();
    const QList<QString> after = run.final.keys();
    if (QSet<QString>(before.begin(), before.end()) != QSet<QString>(after.begin(), after.end()))
        faults << QStringLiteral("the register's rows changed: %1 before, %2 after")
                      .arg(QStringList(before).join(u','), QStringList(after).join(u','));
    for (auto it = run.history.begin(); it != run.history.end(); ++it) {
        const QString key = it.key();
        // The stores each client saw succeed on this row, still to be found in the server's order.
        QHash<QString, QList<clientrun::Store>> pending;
        QHash<QString, QSet<QString>> refused;  // values by field
        for (const clientrun::Client& client : run.clients) {
            if (run.rowOf.value(client.tag) != key) continue;
            for (const clientrun::Store& s : client.stores) {
                if (s.ok)
                    pending[client.tag] << s;
                else
                    refused[s.field] << s.value;
            }
        }
        Row held = run.initial.value(key);
        for (const Change& change : it.value()) {
            if (change.field.isEmpty()) {
                faults << QStringLiteral("row %1: the server made a change no store makes: %2").arg(key, change.what);
                continue;
            }
            if (refused[change.field].contains(change.newValue))
                faults << QStringLiteral("row %1: a store reported as refused reached the server: %2=%3")
                              .arg(key, change.field, change.newValue);
            const QString tag = change.newValue.section(u':', 0, 0);
            QList<clientrun::Store>& own = pending[tag];
            if (own.isEmpty() || own.first().field != change.field || own.first().value != change.newValue) {
                faults << QStringLiteral(
                              "row %1: the server held %2=%3, which its client did not see stored (next "
                              "stored: %4)")
                              .arg(key, change.field, change.newValue,
                                   own.isEmpty() ? QStringLiteral("none") : describe(own.first()));
            } else {
                if (own.first().replaced != change.oldValue)
                    faults << QStringLiteral("row %1: %2 overwrote %3, not the %4 its client had read")
                                  .arg(key, describe(own.first()), change.oldValue, own.first().replaced);
                own.removeFirst();
            }
            if (held.value(change.field) != change.oldValue)
                faults << QStringLiteral("row %1: the server's history skips from %2 to %3")
                              .arg(key, held.value(change.field), change.oldValue);
            held[change.field] = change.newValue;
        }
        for (auto left = pending.begin(); left != pending.end(); ++left)
            for (const clientrun::Store& s : left.value())
                faults << QStringLiteral("row %1: a store client %2 saw succeed never reached the server: %3")
                              .arg(key, left.key(), describe(s));
        if (run.final.value(key) != held)
            faults << QStringLiteral("row %1: holds %2|%3, its history ends at %4|%5")
                          .arg(key, run.final.value(key).value(QStringLiteral("user")),
                               run.final.value(key).value(QStringLiteral("glava")), held.value(QStringLiteral("user")),
                               held.value(QStringLiteral("glava")));
    }
    // Each client's last successful store of a field is what its row holds, unless another
    // client's later store superseded it there.
    for (const clientrun::Client& client : run.clients) {
        const QString key = run.rowOf.value(client.tag);
        for (const QString& field : {QStringLiteral("user"), QStringLiteral("glava")}) {
            const clientrun::Store* last = nullptr;
            for (const clientrun::Store& s : client.stores)
                if (s.ok && s.field == field) last = &s;
            const QString holds = run.final.value(key).value(field);
            if (last && holds != last->value && holds.section(u':', 0, 0) == client.tag)
                faults << QStringLiteral("row %1: holds %2=%3, not %4, the last its client stored")
                              .arg(key, field, holds, last->value);
        }
    }
    return faults;
}

clientrun::Store store(bool ok, const QString& field, const QString& value, const QString& replaced) {
    clientrun::Store s;
    s.ok = ok;
    s.field = field;
    s.value = value;
    s.replaced = replaced;
    if (!ok) s.message = QStringLiteral("The row was changed or deleted by another user since it was read");
    return s;
}

}  // namespace

class TestServerLoad : public QObject {
    Q_OBJECT

private slots:
    // The check itself, on made-up runs of two clients A and B on row 1: it must find each fault.
    void faultsAreFound_data() {
        QTest::addColumn<QStringList>("history");  // "field old new" per change of row 1
        QTest::addColumn<QStringList>("logA");     // "ok|fail field value replaced"
        QTest::addColumn<QStringList>("logB");
        QTest::addColumn<QString>("finalGlava");
        QTest::addColumn<QString>("fault");  // a word of the fault expected; empty: none

        QTest::newRow("consistent") << QStringList{"glava s A:g:0", "glava A:g:0 B:g:1"}
                                    << QStringList{"ok glava A:g:0 s", "fail glava A:g:1 s"}
                                    << QStringList{"fail glava B:g:0 s", "ok glava B:g:1 A:g:0"} << "B:g:1"
                                    << "";
        QTest::newRow("store lost") << QStringList{"glava s A:g:0"} << QStringList{"ok glava A:g:0 s"}
                                    << QStringList{"ok glava B:g:0 A:g:0"} << "A:g:0"
                                    << "never reached";
        QTest::newRow("blind overwrite") << QStringList{"glava s A:g:0", "glava A:g:0 B:g:0"}
                                         << QStringList{"ok glava A:g:0 s"} << QStringList{"ok glava B:g:0 s"}
                                         << "B:g:0"
                                         << "overwrote";
        QTest::newRow("value nobody stored") << QStringList{"glava s A:g:0", "glava A:g:0 X:g:9"}
                                             << QStringList{"ok glava A:g:0 s"} << QStringList{} << "X:g:9"
                                             << "did not see stored";
        QTest::newRow("refused store landed")
            << QStringList{"glava s A:g:0"} << QStringList{"fail glava A:g:0 s"} << QStringList{} << "A:g:0"
            << "reported as refused";
        QTest::newRow("final differs from history")
            << QStringList{"glava s A:g:0"} << QStringList{"ok glava A:g:0 s"} << QStringList{} << "s"
            << "history ends";
        QTest::newRow("out of order") << QStringList{"glava s A:g:1", "glava A:g:1 A:g:0"}
                                      << QStringList{"ok glava A:g:0 s", "ok glava A:g:1 A:g:0"} << QStringList{}
                                      << "A:g:0"
                                      << "did not see stored";
    }
    void faultsAreFound() {
        QFETCH(QStringList, history);
        QFETCH(QStringList, logA);
        QFETCH(QStringList, logB);
        QFETCH(QString, finalGlava);
        QFETCH(QString, fault);
        Run run;
        run.initial[QStringLiteral("1")] =
            Row{{QStringLiteral("user"), QStringLiteral("u")}, {QStringLiteral("glava"), QStringLiteral("s")}};
        run.final[QStringLiteral("1")] =
            Row{{QStringLiteral("user"), QStringLiteral("u")}, {QStringLiteral("glava"), finalGlava}};
        for (const QString& line : history) {
            const QStringList f = line.split(u' ');
            run.history[QStringLiteral("1")] << Change{f[0], f[1], f[2], line};
        }
        for (const auto& [tag, log] : {std::pair{QStringLiteral("A"), logA}, std::pair{QStringLiteral("B"), logB}}) {
            clientrun::Client client;
            client.tag = tag;
            for (const QString& line : log) {
                const QStringList f = line.split(u' ');
                client.stores << store(f[0] == u"ok", f[1], f[2], f[3]);
            }
            run.clients << client;
            run.rowOf[tag] = QStringLiteral("1");
        }
        const QStringList faults = findFaults(run);
        if (fault.isEmpty())
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        else
            QVERIFY2(faults.join(u'\n').contains(fault), qPrintable(QStringLiteral("found: ") + faults.join(u'\n')));
    }

    // Clients storing at once on the test server, each on a row of its own or all on one row.
    void lab_data() {
        QTest::addColumn<int>("clients");
        QTest::addColumn<bool>("oneRow");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("renameEvery");
        QTest::addColumn<int>("pauseMs");
        // A lab: every machine on its own student's row, a chapter every few milliseconds and now
        // and then a new name.
        QTest::newRow("30 machines, own rows") << 30 << false << loadSeconds() << 10 << 10;
        // Two machines fighting over one student's row as fast as they can.
        QTest::newRow("2 machines, one row") << 2 << true << std::min(10, loadSeconds()) << 0 << 0;
    }
    void lab() {
        QFETCH(int, clients);
        QFETCH(bool, oneRow);
        QFETCH(int, seconds);
        QFETCH(int, renameEvery);
        QFETCH(int, pauseMs);

        // The clients' rows and two rows nobody touches.
        QList<QStringList> users;
        const int rows = oneRow ? 1 : clients;
        for (int i = 0; i < rows; ++i)
            users << QStringList{QStringLiteral("Студент %1").arg(i, 2, 10, QChar(u'0')), QStringLiteral("Введение")};
        users << QStringList{QStringLiteral("Свидетель"), QStringLiteral("1 Неделя")}
              << QStringList{QStringLiteral("Тихий"), QString()};
        CourseRoot root({fixture::Users(users)}, fixture::Backend::PostgreSQL);
        noteEveryChange(root);
        const QString address = root.connectionString();

        Run run;
        run.initial = readRows(address);
        QTemporaryDir logs;
        QVERIFY(logs.isValid());
        for (int i = 0; i < clients; ++i) {
            clientrun::Client client;
            client.user = users[oneRow ? 0 : i][0];
            client.tag = QStringLiteral("c%1").arg(i, 2, 10, QChar(u'0'));
            client.log = logs.filePath(client.tag + QStringLiteral(".log"));
            for (auto it = run.initial.begin(); it != run.initial.end(); ++it)
                if (it.value().value(QStringLiteral("user")) == client.user) run.rowOf[client.tag] = it.key();
            run.clients << client;
        }
        clientrun::Options options;
        options.program = kClient;
        options.address = address;
        options.seconds = seconds;
        options.renameEvery = renameEvery;
        options.pauseMs = pauseMs;
        options.rereadOnConflict = oneRow;
        qint64 loadNs = 0;
        clientrun::Run(options, run.clients, &loadNs);

        // Every client started, finished in time and ended by itself.
        for (const clientrun::Client& c : run.clients) {
            QVERIFY2(c.ready, qPrintable(c.tag + QStringLiteral(" did not start: ") + c.output));
            QVERIFY2(c.finished, qPrintable(c.tag + QStringLiteral(" did not finish in time (waiting on a lock?)")));
            QVERIFY2(!c.crashed && c.exitCode == 0,
                     qPrintable(QStringLiteral("%1 ended with %2: %3").arg(c.tag).arg(c.exitCode).arg(c.output)));
            QVERIFY2(!c.stores.isEmpty(), qPrintable(c.tag + QStringLiteral(" made no store")));
        }
        // A refusal is only ever the conflict, and only where machines share a row.
        int conflicts = 0;
        QList<qint64> latencies;
        int renames = 0;
        for (const clientrun::Client& c : run.clients)
            for (const clientrun::Store& s : c.stores) {
                if (s.ok) {
                    latencies << s.ns;
                    renames += s.field == u"user";
                    continue;
                }
                QVERIFY2(oneRow && s.message.contains(QStringLiteral("changed or deleted by another user")),
                         qPrintable(QStringLiteral("%1: %2 refused: %3").arg(c.tag, describe(s), s.message)));
                ++conflicts;
            }
        // Two machines that both stored into one row each met the other's change at least once.
        if (oneRow) QVERIFY2(conflicts > 0, "no store was refused although both machines stored into one row");

        run.history = readHistory(address);
        run.final = readRows(address);
        const QStringList faults = findFaults(run);
        QVERIFY2(faults.isEmpty(),
                 qPrintable(
                     QStringLiteral("%1 faults, the first: %2").arg(faults.size()).arg(faults.mid(0, 10).join(u'\n'))));
        const QStringList deadlocks =
            fixture::QueryRows(address, QStringLiteral("SELECT deadlocks FROM pg_stat_database WHERE "
                                                       "datname = current_database()"));
        QCOMPARE(deadlocks, QStringList{QStringLiteral("0")});

        std::sort(latencies.begin(), latencies.end());
        const QString fsync = fixture::QueryRows(address, QStringLiteral("SHOW fsync")).value(0);
        const QString sync = fixture::QueryRows(address, QStringLiteral("SHOW synchronous_commit")).value(0);
        qInfo(
            "%d clients on %s for %d s (%.1f s with their ends): %lld stores (%.0f/s), %d of them names, %d "
            "refused as conflicts; store latency p50 %.2f ms, p99 %.2f ms, max %.2f ms; server fsync=%s, "
            "synchronous_commit=%s",
            clients, oneRow ? "one row" : "own rows", seconds, double(loadNs) / 1e9, qlonglong(latencies.size()),
            double(latencies.size()) / (double(loadNs) / 1e9), renames, conflicts,
            double(clientrun::Percentile(latencies, 0.50)) / 1e6, double(clientrun::Percentile(latencies, 0.99)) / 1e6,
            double(latencies.isEmpty() ? 0 : latencies.last()) / 1e6, qPrintable(fsync), qPrintable(sync));
    }
};

QTEST_GUILESS_MAIN(TestServerLoad)
#include "tst_serverload.moc"
