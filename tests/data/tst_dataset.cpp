// The cursor of one table: moves, edits, new rows, stores and their failures, the same on a
// database file and on a lab's PostgreSQL server.
#include <QtTest>

#include "Connection.h"
#include "DataSet.h"
#include "Failure.h"
#include "Fixture.h"
#include "OpenedRegister.h"

using fixture::CourseRoot;
using Opened = fixture::OpenedRegister;

namespace {

// Runs a script of cursor operations separated by ";":
// f first, l last, n next, p prior, e edit, i insert, a append, post, cancel, del,
// u=TEXT sets user, g=TEXT sets glava, loc=TEXT locates a user.
void runScript(DataSet& users, const QString& script) {
    for (const QString& op : script.split(u';', Qt::SkipEmptyParts)) {
        if (op == u"f")
            users.first();
        else if (op == u"l")
            users.last();
        else if (op == u"n")
            users.next();
        else if (op == u"p")
            users.prior();
        else if (op == u"e")
            users.edit();
        else if (op == u"i")
            users.insert();
        else if (op == u"a")
            users.append();
        else if (op == u"post")
            users.post();
        else if (op == u"cancel")
            users.cancel();
        else if (op == u"del")
            users.remove();
        else if (op.startsWith(u"u="))
            users.setFieldText(QStringLiteral("user"), op.mid(2));
        else if (op.startsWith(u"g="))
            users.setFieldText(QStringLiteral("glava"), op.mid(2));
        else if (op.startsWith(u"loc="))
            users.locate(QStringLiteral("user"), op.mid(4));
        else
            QFAIL(qPrintable(QStringLiteral("unknown operation ") + op));
    }
}

QString stateName(DataSet::State state) {
    switch (state) {
        case DataSet::State::Inactive:
            return QStringLiteral("inactive");
        case DataSet::State::Browse:
            return QStringLiteral("browse");
        case DataSet::State::Edit:
            return QStringLiteral("edit");
        case DataSet::State::Insert:
            return QStringLiteral("insert");
    }
    return {};
}

QStringList memoryRows(const DataSet& users) {
    QStringList rows;
    for (int r = 0; r < users.recordCount(); ++r)
        rows << users.value(r, users.fieldIndex(QStringLiteral("user"))).toString() + u'|' +
                    users.value(r, users.fieldIndex(QStringLiteral("glava"))).toString();
    return rows;
}

}  // namespace

class TestDataSet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { fixture::AddBackendRows(); }
    void init() { fixture::UseBackendOfThisRow(); }

    void cursorRules_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QStringList>("stored");

        const QStringList initial{"Айгерим|1 Неделя", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("opened on the first row") << ""
                                                 << "Айгерим"
                                                 << "browse" << initial;
        QTest::newRow("next on the last row stays") << "l;n;n"
                                                    << "Сәуле"
                                                    << "browse" << initial;
        QTest::newRow("prior on the first row stays") << "p;p"
                                                      << "Айгерим"
                                                      << "browse" << initial;
        QTest::newRow("edit continues a pending edit")
            << "e;u=Ася;e;g=Лекция;post"
            << "Ася"
            << "browse" << QStringList{"Ася|Лекция", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("post keeps the row current")
            << "n;e;g=Глава 2;post"
            << "Борис"
            << "browse" << QStringList{"Айгерим|1 Неделя", "Борис|Глава 2", "Сәуле|Введение"};
        QTest::newRow("a pending edit is not stored by itself") << "e;u=Ася"
                                                                << "Ася"
                                                                << "edit" << initial;
        QTest::newRow("moving stores a changed row")
            << "e;u=Ася;n"
            << "Борис"
            << "browse" << QStringList{"Ася|1 Неделя", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("moving drops an unchanged edit") << "e;n"
                                                        << "Борис"
                                                        << "browse" << initial;
        QTest::newRow("locate stores a changed row")
            << "e;g=X;loc=Сәуле"
            << "Сәуле"
            << "browse" << QStringList{"Айгерим|X", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("locate of a missing value stays") << "n;loc=Никто"
                                                         << "Борис"
                                                         << "browse" << initial;
        QTest::newRow("an untouched new row is dropped by a move") << "n;i;n"
                                                                   << "Сәуле"
                                                                   << "browse" << initial;
        QTest::newRow("an untouched new row dropped by first") << "l;i;f"
                                                               << "Айгерим"
                                                               << "browse" << initial;
        QTest::newRow("a changed new row is stored by a move")
            << "n;i;u=Дана;f"
            << "Айгерим"
            << "browse" << QStringList{"Айгерим|1 Неделя", "Борис|<null>", "Сәуле|Введение", "Дана|<null>"};
        QTest::newRow("insert goes before the current row") << "n;i;u=Дана"
                                                            << "Дана"
                                                            << "insert" << initial;
        QTest::newRow("append then post")
            << "a;u=Ерлан;post"
            << "Ерлан"
            << "browse" << QStringList{"Айгерим|1 Неделя", "Борис|<null>", "Сәуле|Введение", "Ерлан|<null>"};
        QTest::newRow("cancel drops an edit") << "e;u=Ася;cancel"
                                              << "Айгерим"
                                              << "browse" << initial;
        QTest::newRow("cancel of a new row returns to the row before") << "n;i;u=X;cancel"
                                                                       << "Борис"
                                                                       << "browse" << initial;
        QTest::newRow("delete moves to the next row") << "n;del"
                                                      << "Сәуле"
                                                      << "browse" << QStringList{"Айгерим|1 Неделя", "Сәуле|Введение"};
        QTest::newRow("delete of the last row moves to the new last")
            << "l;del"
            << "Борис"
            << "browse" << QStringList{"Айгерим|1 Неделя", "Борис|<null>"};
        QTest::newRow("delete of a pending new row only drops it") << "n;i;u=X;del"
                                                                   << "Борис"
                                                                   << "browse" << initial;
        QTest::newRow("delete of an edited row deletes the stored row")
            << "e;u=X;del"
            << "Борис"
            << "browse" << QStringList{"Борис|<null>", "Сәуле|Введение"};
    }
    void cursorRules() {
        QFETCH(QString, script);
        QFETCH(QString, current);
        QFETCH(QString, state);
        QFETCH(QStringList, stored);
        CourseRoot root;
        Opened db(root);
        runScript(db.users, script);
        QCOMPARE(db.users.fieldText(QStringLiteral("user")), current);
        QCOMPARE(stateName(db.users.state()), state);
        QCOMPARE(root.rows(QStringLiteral("user1")), stored);
    }

    void memoryFollowsTheStoredRows() {
        CourseRoot root;
        Opened db(root);
        runScript(db.users, QStringLiteral("n;i;u=Дана;post;l;del"));
        QCOMPARE(memoryRows(db.users), (QStringList{"Айгерим|1 Неделя", "Дана|", "Борис|"}));
        // A second reader sees the same rows (in the database's own order: the new row last).
        Opened again(root);
        QCOMPARE(memoryRows(again.users), (QStringList{"Айгерим|1 Неделя", "Борис|", "Дана|"}));
    }

    void emptyTable() {
        CourseRoot root({fixture::QuestionBank(QStringLiteral("test"), 3), fixture::Users({})});
        Opened db(root);
        QCOMPARE(db.users.currentRow(), -1);
        QCOMPARE(db.users.fieldText(QStringLiteral("user")), QString());
        db.users.next();
        db.users.prior();
        QCOMPARE(db.users.currentRow(), -1);
        // An edit on an empty table starts a new row.
        db.users.edit();
        QCOMPARE(db.users.state(), DataSet::State::Insert);
        db.users.setFieldText(QStringLiteral("glava"), QStringLiteral("Введение"));
        db.users.post();
        QCOMPARE(root.rows(QStringLiteral("user1")), QStringList{"<null>|Введение"});
        QCOMPARE(db.users.fieldText(QStringLiteral("user")), QString());
    }

    void nullReadsAsEmptyAndFieldsMatchAnyCase() {
        CourseRoot root;
        root.exec(QStringLiteral("UPDATE user1 SET glava = NULL"));
        Opened db(root);
        QCOMPARE(db.users.fieldText(QStringLiteral("GLAVA")), QString());
        QCOMPARE(db.users.fieldText(QStringLiteral("User")), QStringLiteral("Айгерим"));
        try {
            db.users.fieldText(QStringLiteral("glavaX"));
            QFAIL("a missing field was read");
        } catch (const platform::Failure& f) {
            QCOMPARE(f.message(), QStringLiteral("Field 'glavaX' not found"));
        }
    }

    void tableNameOfAnOpenTableIsRefused() {
        CourseRoot root;
        Opened db(root);
        db.users.setTableName(QStringLiteral("user1"));  // the same name changes nothing
        QVERIFY_THROWS_EXCEPTION(platform::Failure, db.users.setTableName(QStringLiteral("test")));
        QCOMPARE(db.users.tableName(), QStringLiteral("user1"));
    }

    // A store the database refuses keeps the change pending; the next store or move retries it.
    void failedStoreStaysPending_data() {
        QTest::addColumn<QString>("retry");
        QTest::newRow("post again") << "post";
        QTest::newRow("move") << "n";
    }
    void failedStoreStaysPending() {
        QFETCH(QString, retry);
        CourseRoot root;
        root.refuseStores(QStringLiteral("store refused"));
        Opened db(root);
        runScript(db.users, QStringLiteral("e;g=Лекция"));
        try {
            db.users.post();
            QFAIL("the refused store passed");
        } catch (const platform::Failure& f) {
            QVERIFY2(f.message().contains(QStringLiteral("store refused")), qPrintable(f.message()));
        }
        QCOMPARE(db.users.state(), DataSet::State::Edit);
        QCOMPARE(db.users.fieldText(QStringLiteral("glava")), QStringLiteral("Лекция"));
        QVERIFY_THROWS_EXCEPTION(platform::Failure, db.users.next());
        QCOMPARE(db.users.currentRow(), 0);

        root.allowStores();
        runScript(db.users, retry);
        QCOMPARE(db.users.state(), DataSet::State::Browse);
        QCOMPARE(root.rows(QStringLiteral("user1")).first(), QStringLiteral("Айгерим|Лекция"));
    }

    // A row another program changed or deleted since it was read is never overwritten silently: the
    // store is refused and the row read again, the change kept pending over what the row holds now.
    // Storing again, once told, replaces their change (only the fields this user changed); a row
    // that is gone stays refused.
    void rowChangedByAnotherProgram_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("current");  // user|glava of the current row after the refusal
        QTest::addColumn<QString>("retry");
        QTest::addColumn<QStringList>("storedAtLast");  // null: the retry is refused too
        const QString aigerim = QStringLiteral("Айгерим");
        QTest::newRow("chapter changed, then chapter stored")
            << "UPDATE user1 SET glava = 'чужая' WHERE \"user\" = 'Айгерим'"
            << "e;g=моя;post"
            << "Айгерим|моя"
            << "post" << QStringList{"Айгерим|моя", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("name changed, then chapter stored")
            << "UPDATE user1 SET \"user\" = 'Ая' WHERE \"user\" = 'Айгерим'"
            << "e;g=моя;post"
            << "Ая|моя"
            << "post" << QStringList{"Ая|моя", "Борис|<null>", "Сәуле|Введение"};
        QTest::newRow("deleted, then stored") << "DELETE FROM user1 WHERE \"user\" = 'Айгерим'"
                                              << "e;g=моя;post"
                                              << "Айгерим|моя"
                                              << "post" << QStringList();
        QTest::newRow("changed, then deleted") << "UPDATE user1 SET \"user\" = 'Ая' WHERE \"user\" = 'Айгерим'"
                                               << "del"
                                               << "Ая|1 Неделя"
                                               << "del" << QStringList{"Борис|<null>", "Сәуле|Введение"};
    }
    void rowChangedByAnotherProgram() {
        QFETCH(QString, other);
        QFETCH(QString, script);
        QFETCH(QString, current);
        QFETCH(QString, retry);
        QFETCH(QStringList, storedAtLast);
        CourseRoot root;
        Opened db(root);
        root.exec(other);
        const QStringList before = root.rows(QStringLiteral("user1"));
        auto refused = [&](const QString& steps) {
            try {
                runScript(db.users, steps);
            } catch (const platform::Failure& f) {
                return f.message().contains(QStringLiteral("changed or deleted by another user")) ? f.message()
                                                                                                  : QString();
            }
            return QString();
        };
        QVERIFY(!refused(script).isEmpty());
        QCOMPARE(root.rows(QStringLiteral("user1")), before);
        QCOMPARE(db.users.fieldText(QStringLiteral("user")) + u'|' + db.users.fieldText(QStringLiteral("glava")),
                 current);

        const bool retryRefused = !refused(retry).isEmpty();
        QCOMPARE(retryRefused, storedAtLast.isEmpty());
        QCOMPARE(root.rows(QStringLiteral("user1")), retryRefused ? before : storedAtLast);
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
