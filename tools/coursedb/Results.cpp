#include "Results.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <algorithm>
#include <optional>

#include "CourseFile.h"
#include "ServerPush.h"
#include "data/cursor/Connection.h"
#include "platform/failure/Failure.h"

using platform::Failure;

namespace coursedb {

namespace {

constexpr int kQuestions = 20;
// The report lists at most this many of the questions most often answered wrong, per bank.
constexpr int kMostWrong = 20;

// Runs `read` on a database file (read-only) or a server database, with the tables it has.
template <class Read>
auto withDatabase(const QString& database, Read read) {
    if (IsServerAddress(database)) {
        ServerConnection connection(database);
        QSqlDatabase db = connection.db();
        return read(db, serverTables(db));
    }
    requireDatabaseFile(database);
    Connection connection(database, Connection::ReadOnly);
    QSqlDatabase db = connection.db();
    return read(db, tablesOf(connection));
}

QString shownDatabase(const QString& database) { return WithoutPassword(database); }

// The answer given at a position (0 to 19), or none: kNoAnswer, or a position the stored text lacks.
std::optional<QChar> answerAt(const TestResult& result, int position) {
    if (position >= result.answers.size() || result.answers[position] == QChar(kNoAnswer)) return std::nullopt;
    return result.answers[position];
}

}  // namespace

QList<TestResult> ReadResults(const QString& database, const ResultsFilter& filter) {
    QStringList columns;
    for (const ResultsColumn& column : ResultsColumns()) columns << quoteIdentifier(column.name);
    // Fixed conditions, the values bound: a filter is a value, never SQL.
    QStringList conditions;
    QVariantList values;
    if (!filter.user.isNull()) {
        conditions << quoteIdentifier(QStringLiteral("student")) + QStringLiteral(" = ?");
        values << filter.user;
    }
    if (filter.since.isValid()) {
        conditions << quoteIdentifier(QStringLiteral("finished")) + QStringLiteral(" >= ?");
        // The stored moments are UTC texts of one form, so they compare as texts.
        values << filter.since.startOfDay().toUTC().toString(Qt::ISODate);
    }
    if (!filter.language.isEmpty()) {
        conditions << quoteIdentifier(QStringLiteral("language")) + QStringLiteral(" = ?");
        values << filter.language;
    }
    const QString sql =
        QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 DESC, %5 DESC")
            .arg(
                columns.join(QStringLiteral(", ")), quoteIdentifier(ResultsTableName()),
                conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND ")),
                quoteIdentifier(QStringLiteral("finished")), ::Connection::rowKey());

    return withDatabase(database, [&](QSqlDatabase& db, const QStringList& tables) {
        if (!tables.contains(ResultsTableName(), Qt::CaseInsensitive))
            throw Failure(QStringLiteral("%1 has no table results: no test results are kept there. coursedb upgrade %1 "
                                         "adds the table; the textbooks store each finished test from then on")
                              .arg(shownDatabase(database)));
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throw Failure(QStringLiteral("%1: %2").arg(shownDatabase(database), databaseMessage(query.lastError())));
        for (const QVariant& value : values) query.addBindValue(value);
        if (!query.exec())
            throw Failure(QStringLiteral("%1: %2").arg(shownDatabase(database), databaseMessage(query.lastError())));
        QList<TestResult> results;
        const qsizetype count = ResultsColumns().size();
        QVariantList row(count);
        while (query.next()) {
            for (int i = 0; i < count; ++i) row[i] = query.value(i);
            results << ResultFromValues(row);
        }
        if (query.lastError().isValid())
            throw Failure(QStringLiteral("%1: %2").arg(shownDatabase(database), databaseMessage(query.lastError())));
        return results;
    });
}

QDateTime FinishedLocal(const TestResult& result) {
    // The zone taken once: the C library's local time looks for the zone file at every call, which
    // over 100,000 results costs more than the rest of the report.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    return QDateTime::fromString(result.finished, Qt::ISODate).toTimeZone(zone);
}

namespace {

// A moment as the teacher reads it, to the minute; a stored text that is no moment as it is.
QString minute(const TestResult& result) {
    const QDateTime local = FinishedLocal(result);
    return local.isValid() ? local.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : result.finished;
}

}  // namespace

QString ResultsListing(const QList<TestResult>& results) {
    QString text = QStringLiteral("finished          language  score  student\n");
    QSet<QString> students;
    for (const TestResult& r : results) {
        text += QStringLiteral("%1  %2  %3  %4\n")
                    .arg(minute(r), -16)
                    .arg(r.language, -8)
                    .arg(QString::number(r.score), -5)
                    .arg(r.student);
        students.insert(r.student);
    }
    text += QStringLiteral("%1 test%2, %3 student%4\n")
                .arg(results.size())
                .arg(results.size() == 1 ? "" : "s")
                .arg(students.size())
                .arg(students.size() == 1 ? "" : "s");
    return text;
}

Table ResultsSheet(const QList<TestResult>& results) {
    Table sheet{
        QStringLiteral("results"),
        {QStringLiteral("student"), QStringLiteral("language"), QStringLiteral("finished"), QStringLiteral("host"),
         QStringLiteral("first_question"), QStringLiteral("score"), QStringLiteral("seconds")},
        {}};
    for (int p = 1; p <= kQuestions; ++p) sheet.fields << QStringLiteral("answer %1").arg(p);
    for (const TestResult& r : results) {
        const QDateTime local = FinishedLocal(r);
        QStringList row{r.student,
                        r.language,
                        local.isValid() ? local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : r.finished,
                        r.host,
                        QString::number(r.firstQuestion),
                        QString::number(r.score),
                        QString::number(r.seconds)};
        for (int p = 0; p < kQuestions; ++p) {
            const std::optional<QChar> answer = answerAt(r, p);
            row << (answer ? QString(*answer) : QString());
        }
        sheet.rows << row;
    }
    return sheet;
}

// --- The report ------------------------------------------------------------------------------------

namespace {

struct ReportTexts {
    QString title, database, filter, made, tests, students, none;
    QString perStudent, student, attempts, last, best, lastWhen;
    QString scores, scoreAxis;
    QString mostWrong, bankOf[2], number, question, right, asked, wrong, unanswered, noBank, noneWrong, againstBank;
    QString perDay;
    QString filterUser, filterSince, filterLanguage, languageName[2];
};

const ReportTexts& Texts(bool kazakh) {
    static const ReportTexts russian{
        QStringLiteral("Результаты тестов"),
        QStringLiteral("База данных"),
        QStringLiteral("Отбор"),
        QStringLiteral("Отчёт составлен"),
        QStringLiteral("Тестов"),
        QStringLiteral("Студентов"),
        QStringLiteral("Результатов нет."),
        QStringLiteral("По студентам"),
        QStringLiteral("Студент"),
        QStringLiteral("Попыток"),
        QStringLiteral("Последний балл"),
        QStringLiteral("Лучший балл"),
        QStringLiteral("Последняя попытка"),
        QStringLiteral("Распределение баллов"),
        QStringLiteral("балл"),
        QStringLiteral("Вопросы, на которые чаще всего отвечали неверно"),
        {QStringLiteral("Русский банк вопросов (test)"), QStringLiteral("Казахский банк вопросов (test_kz)")},
        QStringLiteral("№ в банке"),
        QStringLiteral("Вопрос"),
        QStringLiteral("Верный ответ"),
        QStringLiteral("Задан"),
        QStringLiteral("Неверно"),
        QStringLiteral("Без ответа"),
        QStringLiteral("Банка вопросов нет в базе данных."),
        QStringLiteral("Неверных ответов нет."),
        QStringLiteral("Ответы сверены с банком вопросов в его нынешнем виде."),
        QStringLiteral("Тестов по дням"),
        QStringLiteral("студент"),
        QStringLiteral("с"),
        QStringLiteral("язык"),
        {QStringLiteral("русский"), QStringLiteral("казахский")},
    };
    static const ReportTexts kazakhTexts{
        QStringLiteral("Тест нәтижелері"),
        QStringLiteral("Дерекқор"),
        QStringLiteral("Сүзгі"),
        QStringLiteral("Есеп жасалған уақыт"),
        QStringLiteral("Тесттер"),
        QStringLiteral("Студенттер"),
        QStringLiteral("Нәтижелер жоқ."),
        QStringLiteral("Студенттер бойынша"),
        QStringLiteral("Студент"),
        QStringLiteral("Тапсыру саны"),
        QStringLiteral("Соңғы балл"),
        QStringLiteral("Ең жоғары балл"),
        QStringLiteral("Соңғы тапсыру"),
        QStringLiteral("Балдардың таралуы"),
        QStringLiteral("балл"),
        QStringLiteral("Жиі қате жауап берілген сұрақтар"),
        {QStringLiteral("Орыс тіліндегі сұрақтар банкі (test)"),
         QStringLiteral("Қазақ тіліндегі сұрақтар банкі (test_kz)")},
        QStringLiteral("Банктегі нөмірі"),
        QStringLiteral("Сұрақ"),
        QStringLiteral("Дұрыс жауап"),
        QStringLiteral("Қойылды"),
        QStringLiteral("Қате"),
        QStringLiteral("Жауапсыз"),
        QStringLiteral("Дерекқорда сұрақтар банкі жоқ."),
        QStringLiteral("Қате жауаптар жоқ."),
        QStringLiteral("Жауаптар сұрақтар банкінің қазіргі нұсқасымен салыстырылды."),
        QStringLiteral("Күндер бойынша тесттер"),
        QStringLiteral("студент"),
        QStringLiteral("бастап"),
        QStringLiteral("тіл"),
        {QStringLiteral("орыс"), QStringLiteral("қазақ")},
    };
    return kazakh ? kazakhTexts : russian;
}

const QString kLanguages[2] = {QStringLiteral("rus"), QStringLiteral("kaz")};

QString esc(const QString& text) { return text.toHtmlEscaped(); }

struct StudentLine {
    QString name;
    int attempts = 0;
    int last = 0;
    int best = 0;
    QString lastWhen;
};

struct QuestionLine {
    int number = 0;
    QString text, right, rightText;
    int asked = 0, wrong = 0, unanswered = 0;
};

struct Bar {
    QString label;  // under the bar
    QString title;  // what a pointer resting on it shows
    int count = 0;
};

// A bar chart as inline SVG, scaled to the page's width. Every bar is one group with its count above
// it (none for 0) and its label below; with many bars only every so many are labelled.
QString barChart(const QString& id, const QString& caption, const QList<Bar>& bars) {
    constexpr int step = 24, width = 18, height = 150, top = 18, bottom = 20;
    const int most = bars.isEmpty() ? 0 : std::max_element(bars.cbegin(), bars.cend(), [](const Bar& a, const Bar& b) {
                                              return a.count < b.count;
                                          })->count;
    const int every = std::max<int>(1, int((bars.size() + 20) / 21));
    const bool counts = bars.size() <= 40;
    const int total = int(bars.size()) * step + 6;
    QString svg =
        QStringLiteral("<svg id=\"%1\" class=\"chart\" viewBox=\"0 0 %2 %3\" role=\"img\" aria-label=\"%4\">\n")
            .arg(id)
            .arg(total)
            .arg(top + height + bottom)
            .arg(esc(caption));
    svg +=
        QStringLiteral("<line x1=\"0\" y1=\"%1\" x2=\"%2\" y2=\"%1\" class=\"axis\"/>\n").arg(top + height).arg(total);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const Bar& bar = bars[i];
        const int x = 3 + int(i) * step + (step - width) / 2;
        const double h = most > 0 ? double(height) * bar.count / most : 0.0;
        const QString barHeight = QString::number(h, 'f', 2);
        const QString barY = QString::number(top + height - h, 'f', 2);
        svg +=
            QStringLiteral("<g class=\"bar\" data-count=\"%1\"><title>%2</title>").arg(bar.count).arg(esc(bar.title));
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"/>")
                   .arg(x)
                   .arg(barY)
                   .arg(width)
                   .arg(barHeight);
        svg += QStringLiteral("<text class=\"count\" x=\"%1\" y=\"%2\">%3</text>")
                   .arg(x + width / 2)
                   .arg(QString::number(top + height - h - 4, 'f', 2))
                   .arg(counts && bar.count > 0 ? QString::number(bar.count) : QString());
        svg += QStringLiteral("<text class=\"label\" x=\"%1\" y=\"%2\">%3</text></g>\n")
                   .arg(x + width / 2)
                   .arg(top + height + 15)
                   .arg(i % every == 0 ? esc(bar.label) : QString());
    }
    return svg + QStringLiteral("</svg>\n");
}

const char* const kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 1rem auto; max-width: 60rem; padding: 0 1rem;
       color: #222; line-height: 1.4; }
h1 { font-size: 1.6rem; margin: 0 0 .3rem; }
h2 { font-size: 1.25rem; margin: 2rem 0 .5rem; border-bottom: 2px solid #3b5b8c; }
h3 { font-size: 1.05rem; margin: 1.2rem 0 .4rem; }
.meta { color: #555; font-size: .9rem; margin: .1rem 0; overflow-wrap: anywhere; }
.totals { font-size: 1.1rem; }
.wide { overflow-x: auto; }
table { border-collapse: collapse; width: 100%; font-size: .95rem; }
th, td { border-bottom: 1px solid #ccc; padding: .3rem .5rem; text-align: left; vertical-align: top; }
th { background: #eef2f8; }
td.n, th.n { text-align: right; white-space: nowrap; }
td.q { min-width: 12rem; }
svg.chart { width: 100%; height: auto; max-height: 18rem; }
svg.chart rect { fill: #3b5b8c; }
svg.chart .axis { stroke: #888; stroke-width: 1; }
svg.chart text { font-size: 10px; text-anchor: middle; fill: #222; }
.note { color: #555; font-size: .85rem; }
@media (max-width: 40rem) { body { padding: 0 .4rem; } th, td { padding: .25rem .3rem; font-size: .85rem; } }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 10pt; }
  h2 { break-after: avoid; }
  section, tr, svg { break-inside: avoid; }
  .wide { overflow: visible; }
  th { background: none; }
}
)";

}  // namespace

QString ResultsReport(const QList<TestResult>& results, const ReportSource& source) {
    const ReportTexts& t = Texts(source.kazakh);
    const QString lang = source.kazakh ? QStringLiteral("kk") : QStringLiteral("ru");

    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>%2</title>\n<style>%3</style>\n</head>\n<body>\n<h1>%2</h1>\n")
                       .arg(lang, esc(t.title), QString::fromUtf8(kStyle));
    html += QStringLiteral("<p class=\"meta\">%1: %2</p>\n").arg(esc(t.database), esc(source.database));
    QStringList filter;
    if (!source.filter.user.isNull()) filter << t.filterUser + QStringLiteral(" «") + source.filter.user + u'»';
    if (source.filter.since.isValid()) {
        const QString date = source.filter.since.toString(Qt::ISODate);
        filter << (source.kazakh ? date + u' ' + t.filterSince : t.filterSince + u' ' + date);
    }
    if (!source.filter.language.isEmpty())
        filter << t.filterLanguage + QStringLiteral(": ") +
                      t.languageName[source.filter.language == kLanguages[1] ? 1 : 0];
    if (!filter.isEmpty())
        html +=
            QStringLiteral("<p class=\"meta\">%1: %2</p>\n").arg(esc(t.filter), esc(filter.join(QStringLiteral(", "))));
    html += QStringLiteral("<p class=\"meta\">%1: %2</p>\n")
                .arg(esc(t.made), source.made.toString(QStringLiteral("yyyy-MM-dd HH:mm")));

    // Per student, newest result first: the first one met is the last attempt.
    QHash<QString, qsizetype> studentIndex;
    QList<StudentLine> students;
    int scoreCounts[kQuestions + 1] = {};
    QMap<QDate, int> perDay;
    for (const TestResult& r : results) {
        auto found = studentIndex.constFind(r.student);
        if (found == studentIndex.cend()) {
            found = studentIndex.insert(r.student, students.size());
            students << StudentLine{r.student, 0, r.score, r.score, minute(r)};
        }
        StudentLine& line = students[*found];
        ++line.attempts;
        line.best = std::max(line.best, r.score);
        if (r.score >= 0 && r.score <= kQuestions) ++scoreCounts[r.score];
        const QDateTime local = FinishedLocal(r);
        if (local.isValid()) ++perDay[local.date()];
    }
    html += QStringLiteral(
                "<p class=\"totals\">%1: <b id=\"total-tests\">%2</b> · %3: <b id=\"total-students\">%4</b></p>\n")
                .arg(esc(t.tests))
                .arg(results.size())
                .arg(esc(t.students))
                .arg(students.size());
    if (results.isEmpty()) return html + QStringLiteral("<p>%1</p>\n</body>\n</html>\n").arg(esc(t.none));

    QCollator collator{QLocale(source.kazakh ? QLocale::Kazakh : QLocale::Russian)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(students.begin(), students.end(), [&collator](const StudentLine& a, const StudentLine& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    html += QStringLiteral(
                "<section id=\"per-student\">\n<h2>%1</h2>\n<div class=\"wide\"><table>\n<thead><tr><th>%2</th>"
                "<th class=\"n\">%3</th><th class=\"n\">%4</th><th class=\"n\">%5</th><th class=\"n\">%6</th>"
                "</tr></thead>\n<tbody>\n")
                .arg(esc(t.perStudent), esc(t.student), esc(t.attempts), esc(t.last), esc(t.best), esc(t.lastWhen));
    for (const StudentLine& s : students)
        html += QStringLiteral(
                    "<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td>"
                    "<td class=\"n\">%5</td></tr>\n")
                    .arg(esc(s.name))
                    .arg(s.attempts)
                    .arg(s.last)
                    .arg(s.best)
                    .arg(esc(s.lastWhen));
    html += QStringLiteral("</tbody></table></div>\n</section>\n");

    QList<Bar> scoreBars;
    for (int score = 0; score <= kQuestions; ++score)
        scoreBars << Bar{QString::number(score),
                         QStringLiteral("%1 %2: %3").arg(t.scoreAxis).arg(score).arg(scoreCounts[score]),
                         scoreCounts[score]};
    html += QStringLiteral("<section id=\"scores\">\n<h2>%1</h2>\n").arg(esc(t.scores)) +
            barChart(QStringLiteral("score-chart"), t.scores, scoreBars) + QStringLiteral("</section>\n");

    // The questions: position p of a result is question first + p - 1 of its language's bank, as it
    // is now; a number the bank no longer has is left out.
    html += QStringLiteral("<section id=\"questions\">\n<h2>%1</h2>\n<p class=\"note\">%2</p>\n")
                .arg(esc(t.mostWrong), esc(t.againstBank));
    for (int l = 0; l < 2; ++l) {
        if (!source.filter.language.isEmpty() && source.filter.language != kLanguages[l]) continue;
        bool any = false;
        for (const TestResult& r : results) any = any || r.language == kLanguages[l];
        if (!any) continue;
        html += QStringLiteral("<h3>%1</h3>\n").arg(esc(t.bankOf[l]));
        if (!source.banks.contains(kLanguages[l])) {
            html += QStringLiteral("<p>%1</p>\n").arg(esc(t.noBank));
            continue;
        }
        const Table& bank = source.banks[kLanguages[l]];
        auto field = [&bank](const QString& name) {
            for (int i = 0; i < bank.fields.size(); ++i)
                if (bank.fields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
            return -1;
        };
        const int num = field(QStringLiteral("num")), text = field(QStringLiteral("tekst")),
                  otvet = field(QStringLiteral("otvet"));
        QHash<int, QuestionLine> questions;
        if (num >= 0 && otvet >= 0) {
            for (const QStringList& row : bank.rows) {
                const std::optional<qlonglong> n = WholeNumber(row.value(num));
                if (!n || questions.contains(int(*n))) continue;
                const QString right = row.value(otvet);
                const int option = field(right);
                questions.insert(int(*n),
                                 QuestionLine{int(*n), row.value(text), right,
                                              option >= 0 && right.size() == 1 ? row.value(option) : QString()});
            }
        }
        for (const TestResult& r : results) {
            if (r.language != kLanguages[l]) continue;
            for (int p = 0; p < kQuestions; ++p) {
                const auto q = questions.find(r.firstQuestion + p);
                if (q == questions.end()) continue;
                ++q->asked;
                const std::optional<QChar> answer = answerAt(r, p);
                if (!answer)
                    ++q->unanswered;
                else if (QString(*answer) != q->right)
                    ++q->wrong;
            }
        }
        QList<QuestionLine> wrong;
        for (const QuestionLine& q : questions)
            if (q.wrong > 0) wrong << q;
        std::sort(wrong.begin(), wrong.end(), [](const QuestionLine& a, const QuestionLine& b) {
            return a.wrong != b.wrong ? a.wrong > b.wrong : a.number < b.number;
        });
        if (wrong.size() > kMostWrong) wrong.resize(kMostWrong);
        if (wrong.isEmpty()) {
            html += QStringLiteral("<p>%1</p>\n").arg(esc(t.noneWrong));
            continue;
        }
        html += QStringLiteral(
                    "<div class=\"wide\"><table id=\"questions-%1\">\n<thead><tr><th class=\"n\">%2</th><th>%3</th>"
                    "<th>%4</th><th class=\"n\">%5</th><th class=\"n\">%6</th><th class=\"n\">%7</th></tr>"
                    "</thead>\n<tbody>\n")
                    .arg(kLanguages[l], esc(t.number), esc(t.question), esc(t.right), esc(t.asked), esc(t.wrong),
                         esc(t.unanswered));
        for (const QuestionLine& q : wrong)
            html += QStringLiteral(
                        "<tr><td class=\"n\">%1</td><td class=\"q\">%2</td><td>%3</td><td class=\"n\">%4</td>"
                        "<td class=\"n\">%5</td><td class=\"n\">%6</td></tr>\n")
                        .arg(q.number)
                        .arg(esc(q.text))
                        .arg(esc(q.rightText.isEmpty() ? q.right : q.right + QStringLiteral(") ") + q.rightText))
                        .arg(q.asked)
                        .arg(q.wrong)
                        .arg(q.unanswered);
        html += QStringLiteral("</tbody></table></div>\n");
    }
    html += QStringLiteral("</section>\n");

    // Every day from the first to the last, those without a test too.
    QList<Bar> dayBars;
    if (!perDay.isEmpty())
        for (QDate day = perDay.firstKey(); day <= perDay.lastKey(); day = day.addDays(1))
            dayBars << Bar{day.toString(QStringLiteral("dd.MM")),
                           QStringLiteral("%1: %2").arg(day.toString(Qt::ISODate)).arg(perDay.value(day)),
                           perDay.value(day)};
    html += QStringLiteral("<section id=\"per-day\">\n<h2>%1</h2>\n").arg(esc(t.perDay)) +
            barChart(QStringLiteral("day-chart"), t.perDay, dayBars) + QStringLiteral("</section>\n");
    return html + QStringLiteral("</body>\n</html>\n");
}

}  // namespace coursedb
