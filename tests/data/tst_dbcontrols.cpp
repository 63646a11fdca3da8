// The data-aware static text and memo: they show a field of the current row and follow the cursor,
// the row's values and the table's state; the text is clickable in its whole rectangle.
#include <QSignalSpy>
#include <QtTest>

#include "data/controls/DBMemo.h"
#include "data/controls/DBText.h"
#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"
#include "data/cursor/DataSource.h"
#include "tests/common/Fixture.h"

using fixture::CourseRoot;

namespace {
struct Bank {
    explicit Bank(const CourseRoot& root) : table(&connection), source(&table) {
        connection.setConnectionString(root.databasePath());
        table.setTableName(QStringLiteral("test"));
    }
    Connection connection;
    DataSet table;
    DataSource source;
};
}  // namespace

class TestDbControls : public QObject {
    Q_OBJECT

private slots:
    void followTheCurrentRow() {
        CourseRoot root(5);
        Bank bank(root);
        DBText answer;
        answer.setDataField(QStringLiteral("B"));  // field names are case-insensitive
        answer.setDataSource(&bank.source);
        DBMemo question;
        question.setDataSource(&bank.source);
        question.setDataField(QStringLiteral("tekst"));
        const auto shown = [&] { return question.toPlainText() + u'|' + answer.text(); };

        QCOMPARE(shown(), QStringLiteral("|"));  // closed table
        bank.table.open();
        QCOMPARE(shown(), QStringLiteral("Вопрос 1|1-b"));
        bank.table.next();
        QCOMPARE(shown(), QStringLiteral("Вопрос 2|2-b"));
        bank.table.locate(QStringLiteral("num"), 5);
        QCOMPARE(shown(), QStringLiteral("Вопрос 5|5-b"));
        bank.table.prior();
        QCOMPARE(shown(), QStringLiteral("Вопрос 4|4-b"));

        bank.table.edit();
        bank.table.setFieldText(QStringLiteral("b"), QStringLiteral("x < y & <b>z</b>"));
        QCOMPARE(shown(), QStringLiteral("Вопрос 4|x < y & <b>z</b>"));
        bank.table.cancel();
        QCOMPARE(shown(), QStringLiteral("Вопрос 4|4-b"));

        bank.table.close();
        QCOMPARE(shown(), QStringLiteral("|"));
        bank.table.open();
        QCOMPARE(shown(), QStringLiteral("Вопрос 1|1-b"));

        answer.setDataField(QStringLiteral("nosuchfield"));
        QCOMPARE(answer.text(), QString());
        bank.table.next();
        QCOMPARE(answer.text(), QString());
    }

    // A data source that goes away leaves the controls empty, not dangling.
    void sourceDestroyed() {
        CourseRoot root(3);
        DBText answer;
        {
            Bank bank(root);
            bank.table.open();
            answer.setDataField(QStringLiteral("a"));
            answer.setDataSource(&bank.source);
            QCOMPARE(answer.text(), QStringLiteral("1-a"));
        }
        QCOMPARE(answer.dataSource(), nullptr);
        answer.setDataField(QStringLiteral("b"));
        QCOMPARE(answer.text(), QString());
    }

    void textClickableEverywhere_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("clicks");
        QTest::newRow("top left corner") << QPoint(0, 0) << int(Qt::LeftButton) << 1;
        QTest::newRow("bottom right corner") << QPoint(259, 89) << int(Qt::LeftButton) << 1;
        QTest::newRow("centre") << QPoint(130, 45) << int(Qt::LeftButton) << 1;
        QTest::newRow("right button") << QPoint(130, 45) << int(Qt::RightButton) << 0;
    }
    void textClickableEverywhere() {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(int, clicks);
        QWidget window;
        DBText answer(&window);
        answer.setGeometry(0, 0, 260, 90);
        answer.setText(QStringLiteral("x"));
        window.show();
        QSignalSpy clicked(&answer, &DBText::clicked);
        QTest::mousePress(&answer, Qt::MouseButton(button), {}, at);
        QCOMPARE(clicked.size(), clicks);
        QTest::mouseRelease(&answer, Qt::MouseButton(button), {}, at);
        QCOMPARE(clicked.size(), clicks);
    }

    void memoIsReadOnly() {
        CourseRoot root(3);
        Bank bank(root);
        bank.table.open();
        DBMemo question;
        question.setDataSource(&bank.source);
        question.setDataField(QStringLiteral("tekst"));
        question.show();
        question.setFocus();
        QTest::keyClicks(&question, QStringLiteral("xyz"));
        QCOMPARE(question.toPlainText(), QStringLiteral("Вопрос 1"));
        QCOMPARE(bank.table.state(), DataSet::State::Browse);
    }
};

QTEST_MAIN(TestDbControls)
#include "tst_dbcontrols.moc"
