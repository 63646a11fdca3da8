// The report of coursedb report as a browser shows it: loaded into the real browser engine
// (offscreen), its tables and charts hold the figures worked out by hand in ResultsFixture.h, from a
// file and from a server alike; it loads nothing, runs nothing, fits a phone's width, and its headings
// are Kazakh with --language kaz.
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include "ResultsFixture.h"
#include "RunCoursedb.h"
#include "tests/common/PageScript.h"

using fixture::Backend;

namespace {

// The texts of the cells of every row a selector finds, a row's cells joined with "|".
const QString kRows = QStringLiteral(
    "Array.from(document.querySelectorAll('%1')).map(r => Array.from(r.cells).map(c => c.textContent).join('|'))");
// Each bar of a chart: its label, the count written above it, and its height.
const QString kBars = QStringLiteral(
    "Array.from(document.querySelectorAll('#%1 g.bar')).map(g => g.querySelector('text.label').textContent + '|' + "
    "g.querySelector('text.count').textContent + '|' + g.querySelector('rect').getAttribute('height'))");

QStringList Strings(const QVariant& value) { return value.toStringList(); }

// The report of the fixture's database, as coursedb writes it, in a view of a phone's width.
struct Shown {
    Shown(Backend backend, const QStringList& options) : root(resultsfixture::Course(), backend) {
        const QString out = dir.filePath(QStringLiteral("report.html"));
        const CoursedbRun run =
            RunCoursedb(QStringList{"report"} + options + QStringList{root.connectionString(), out});
        if (run.exitCode != 0) qFatal("coursedb report failed: %s", qPrintable(run.err));
        view.resize(360, 640);
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.load(QUrl::fromLocalFile(out));
        if (!loaded.wait(30000) || !loaded.first().first().toBool()) qFatal("the report did not load");
    }
    QVariant eval(const QString& script) { return evaluate(&view, script); }

    fixture::CourseRoot root;
    QTemporaryDir dir;
    QWebEngineView view;
};

}  // namespace

class TestResultsReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { resultsfixture::UseTimeZoneOfTheFixture(); }

    void figuresAreTheFixtures_data() {
        QTest::addColumn<Backend>("backend");
        QTest::newRow("file") << Backend::SQLite;
        QTest::newRow("server") << Backend::PostgreSQL;
    }
    void figuresAreTheFixtures() {
        QFETCH(Backend, backend);
        Shown report(backend, {});
        QCOMPARE(report.eval("document.querySelector('h1').textContent").toString(),
                 QStringLiteral("Результаты тестов"));
        QCOMPARE(report.eval("document.getElementById('total-tests').textContent").toString(), QStringLiteral("6"));
        QCOMPARE(report.eval("document.getElementById('total-students').textContent").toString(), QStringLiteral("3"));
        QCOMPARE(Strings(report.eval(kRows.arg("#per-student tbody tr"))),
                 QStringList({"Айгерим|2|18|20|2025-03-05 01:30", "Борис|2|20|20|2025-03-06 00:00",
                              resultsfixture::Erlan() + "|2|0|20|2025-03-05 23:59"}));
        // Scores 0 twice, 18 once, 20 three times: bars of 150 × count / 3.
        QStringList scores;
        for (int score = 0; score <= 20; ++score) {
            const QString bar = score == 0 ? "2|100.00" : score == 18 ? "1|50.00" : score == 20 ? "3|150.00" : "|0.00";
            scores << QString::number(score) + u'|' + bar;
        }
        QCOMPARE(Strings(report.eval(kBars.arg("score-chart"))), scores);
        QCOMPARE(Strings(report.eval(kRows.arg("#questions-rus tbody tr"))),
                 QStringList({"7|Вопрос 7|b) 7-b|3|2|0", "1|Вопрос 1|a) 1-a|1|1|0"}));
        QCOMPARE(Strings(report.eval(kRows.arg("#questions-kaz tbody tr"))),
                 QStringList({"10|Вопрос 10|e) 10-e|2|1|0"}));
        QCOMPARE(Strings(report.eval(kBars.arg("day-chart"))),
                 QStringList({"01.03|1|50.00", "02.03||0.00", "03.03|1|50.00", "04.03||0.00", "05.03|3|150.00",
                              "06.03|1|50.00"}));

        // Nothing but the page: no script, nothing to fetch; the name with markup is text.
        QCOMPARE(report.eval("document.scripts.length").toInt(), 0);
        QCOMPARE(report.eval("document.querySelectorAll('[src], [href], link, iframe, object, embed').length").toInt(),
                 0);
        QCOMPARE(report.eval("document.querySelectorAll('#per-student td b').length").toInt(), 0);
        // A phone's width: the page itself does not scroll sideways.
        QVERIFY(report.eval("document.documentElement.scrollWidth <= window.innerWidth").toBool());
    }

    // The Kazakh tests only, under Kazakh headings.
    void kazakhHeadings() {
        Shown report(Backend::SQLite, {"--language", "kaz"});
        QCOMPARE(Strings(report.eval("Array.from(document.querySelectorAll('h1, h2, h3')).map(h => h.textContent)")),
                 QStringList({"Тест нәтижелері", "Студенттер бойынша", "Балдардың таралуы",
                              "Жиі қате жауап берілген сұрақтар", "Қазақ тіліндегі сұрақтар банкі (test_kz)",
                              "Күндер бойынша тесттер"}));
        QCOMPARE(report.eval("document.documentElement.lang").toString(), QStringLiteral("kk"));
        QCOMPARE(report.eval("document.getElementById('total-tests').textContent").toString(), QStringLiteral("3"));
        QCOMPARE(Strings(report.eval(kRows.arg("#per-student tbody tr"))),
                 QStringList({"Борис|1|20|20|2025-03-06 00:00", resultsfixture::Erlan() + "|2|0|20|2025-03-05 23:59"}));
        QCOMPARE(report.eval("document.querySelectorAll('#questions-rus').length").toInt(), 0);
        QCOMPARE(Strings(report.eval(kRows.arg("#questions-kaz tbody tr"))),
                 QStringList({"10|Вопрос 10|e) 10-e|2|1|0"}));
    }
};

QTEST_MAIN(TestResultsReport)
#include "tst_resultsreport.moc"
