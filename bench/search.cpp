// The course search's figures, printed as a Markdown section for bench/RESULTS.md:
//
//   bench_search COURSE WORK [REPS]
//
// COURSE is an assembled demo course (build-bench/course); WORK a folder for the generated course
// (2,000 pages of 30 KB, made there first). For the demo course's two languages and the generated
// course: the time from the first question to its answer while the index is built (in its own
// thread, as the search window asks it; REPS fresh builds), the time of each question typed
// afterwards, letter by letter (round trip to that thread), the check of the pages on disk that
// each opening of the search window makes, when nothing changed, and the index's memory (the
// in-memory database's pages) against the size of the pages' text (UTF-8).
//
// Ends with 0 when every target holds, 3 when one does not (after printing the section), 1 when a
// measurement failed.
#include <time.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

#include "Figures.h"
#include "content/search/CourseIndex.h"
#include "content/search/CourseSearch.h"
#include "content/search/PageText.h"
#include "platform/failure/Failure.h"

namespace {

constexpr int kGeneratedPages = 2000;
constexpr int kPageBytes = 30 * 1024;
constexpr double kBuildTargetMs = 3000, kQueryTargetMs = 20, kMemoryTarget = 4;

qint64 now(clockid_t clock = CLOCK_MONOTONIC) {
    timespec t{};
    clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The time and the processor time (of every thread of the process: the asking one waits) of a step.
struct Took {
    qint64 wall = 0;
    qint64 cpu = 0;
};

double ms(qint64 ns) { return double(ns) / 1e6; }

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_search: %s\n", qPrintable(why));
    std::exit(1);
}

QString duration(double milliseconds) {
    if (milliseconds >= 100) return QString::number(milliseconds, 'f', 0) + QStringLiteral(" ms");
    if (milliseconds >= 1) return QString::number(milliseconds, 'f', 1) + QStringLiteral(" ms");
    return QString::number(milliseconds * 1000, 'f', 0) + QStringLiteral(" µs");
}

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MiB");
}

// The words of the demo course's Russian pages, each as often as it occurs there: the generated
// pages say what a course says, with its common and rare words.
QStringList courseWords(const QString& folder) {
    QStringList words;
    static const QRegularExpression word(QStringLiteral("[\\w-]+"), QRegularExpression::UseUnicodePropertiesOption);
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.htm")}, QDir::Files)) {
        QFile page(file.filePath());
        if (!page.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read %1").arg(file.filePath()));
        const QString text = QString::fromUtf8(PageText(page.readAll()));
        for (auto match = word.globalMatch(text); match.hasNext();) words << match.next().captured().toLower();
    }
    if (words.size() < 1000) fail(QStringLiteral("too few words in %1").arg(folder));
    return words;
}

// 2,000 pages of 30 KB in the course's words, with its headings and anchors; one word in a hundred
// is made up (as names, terms and numbers are), so that the index holds many rare words too.
void generateCourse(const QString& folder, const QStringList& words) {
    QDir().mkpath(folder);
    QRandomGenerator random(21);
    const QString syllables = QStringLiteral("ба ве ги до жу за ки ло ме ну по ре су то фи ха це чу ша щу эю ям");
    const QStringList parts = syllables.split(u' ');
    auto pick = [&] {
        if (random.bounded(100) == 0) {
            QString made;
            for (int i = 0, n = 2 + random.bounded(3); i < n; ++i) made += parts[random.bounded(parts.size())];
            return made;
        }
        return words[random.bounded(words.size())];
    };
    for (int n = 1; n <= kGeneratedPages; ++n) {
        QByteArray html = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Страница " +
                          QByteArray::number(n) + "</title>\n</head>\n<body>\n<h1>Страница " + QByteArray::number(n) +
                          "</h1>\n";
        int section = 1;
        while (html.size() < kPageBytes - 600) {
            if (section <= 3 && random.bounded(12) == 0) {
                html +=
                    "<h2 id=\"a" + QByteArray::number(section) + "\">Раздел " + QByteArray::number(section) + "</h2>\n";
                ++section;
            }
            QString paragraph;
            for (int i = 0, count = 40 + random.bounded(40); i < count; ++i) {
                const QString w = pick();
                if (i == 0)
                    paragraph += w.left(1).toUpper() + w.mid(1);
                else if (random.bounded(15) == 0)
                    paragraph += QStringLiteral("<b>") + w + QStringLiteral("</b>");
                else
                    paragraph += w;
                paragraph += random.bounded(12) == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
            }
            html += "<p>" + paragraph.trimmed().toUtf8() + ".</p>\n";
        }
        html += "</body>\n</html>\n";
        QFile page(folder + QStringLiteral("/Страница %1.htm").arg(n));
        if (!page.open(QIODevice::WriteOnly) || page.write(html) != html.size())
            fail(QStringLiteral("cannot write %1").arg(page.fileName()));
    }
}

// Asks the search in its thread and waits for the answer; the time from question to answer.
Took ask(CourseSearch& search, const QString& typed, int* hits = nullptr) {
    QEventLoop loop;
    int count = -1;
    const auto found = QObject::connect(&search, &CourseSearch::found, &loop,
                                        [&](const QString& answered, const QList<SearchHit>& list) {
                                            if (answered != typed) return;
                                            count = int(list.size());
                                            loop.quit();
                                        });
    const auto failed =
        QObject::connect(&search, &CourseSearch::failed, &loop, [](const QString& message) { fail(message); });
    const qint64 start = now(), startCpu = now(CLOCK_PROCESS_CPUTIME_ID);
    search.find(typed, 101);  // what the search window asks
    loop.exec();
    const Took took{now() - start, now(CLOCK_PROCESS_CPUTIME_ID) - startCpu};
    QObject::disconnect(found);
    QObject::disconnect(failed);
    if (hits) *hits = count;
    return took;
}

struct Row {
    QString course;
    int pages = 0;
    qint64 textBytes = 0, indexBytes = 0;
    Figures build, query, check, buildCpu, queryCpu;
    int hits = 0;
};

// The words typed, letter by letter, as the window asks for each.
QStringList typing(const QString& words) {
    QStringList typed;
    for (qsizetype i = 1; i <= words.size(); ++i)
        if (words[i - 1] != u' ') typed << words.left(i);
    return typed;
}

Row measure(const QString& label, const QString& root, const QString& folder, const QString& words, int reps) {
    Row row;
    row.course = label;
    const QStringList questions = typing(words);
    for (int rep = 0; rep < reps; ++rep) {
        CourseSearch search(root, folder);
        const Took build = ask(search, questions.first());
        row.build.values << ms(build.wall);
        row.buildCpu.values << ms(build.cpu);
        for (const QString& typed : questions) {
            const Took query = ask(search, typed, &row.hits);
            row.query.values << ms(query.wall);
            row.queryCpu.values << ms(query.cpu);
        }
    }
    CourseIndex index(root, folder);
    index.refresh();
    row.pages = index.pageCount();
    row.textBytes = index.textBytes();
    row.indexBytes = index.indexBytes();
    for (int rep = 0; rep < 5 * reps; ++rep) {
        const qint64 start = now();
        if (index.refresh()) fail(QStringLiteral("the pages of %1 changed during the benchmark").arg(folder));
        row.check.values << ms(now() - start);
    }
    return row;
}

QString yesNo(bool holds) { return holds ? QStringLiteral("yes") : QStringLiteral("NO"); }

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3 || args.size() > 4) {
        std::fprintf(stderr, "usage: bench_search COURSE WORK [REPS]\n");
        return 2;
    }
    const QString course = args[1];
    const QString work = args[2];
    const int reps = args.size() == 4 ? std::max(1, args[3].toInt()) : 3;
    try {
        const QString generated = work + QStringLiteral("/generated");
        generateCourse(generated + QStringLiteral("/web"), courseWords(course + QStringLiteral("/web")));
        QList<Row> rows;
        rows << measure(QStringLiteral("demo course, Russian pages"), course, course + QStringLiteral("/web"),
                        QStringLiteral("алгоритм цикла"), reps);
        rows << measure(QStringLiteral("demo course, Kazakh pages"), course, course + QStringLiteral("/web_kz"),
                        QStringLiteral("сұрыптау алгоритм"), reps);
        rows << measure(QStringLiteral("generated course, %1 pages of 30 KB").arg(kGeneratedPages), generated,
                        generated + QStringLiteral("/web"), QStringLiteral("алгоритм цикла"), reps);

        std::printf("## Course search\n\n");
        std::printf(
            "`bench_search` (in-process, Qt Core only): %d fresh builds per course. Build: the first question "
            "asked of a new search to its answer, the index built in its own thread on the way. Question: each "
            "of the words typed letter by letter (\"алгоритм цикла\"; Kazakh pages \"сұрыптау алгоритм\"), from "
            "the question to the answer in the asking thread. CPU: the processor time of the process's threads over "
            "the same span, which a busy machine does not stretch as it does the wall time. Check: the check of the "
            "pages on disk that each "
            "opening of the search window makes, when nothing changed. Index: the in-memory database's page count "
            "× page size; text: the pages' text as UTF-8. The generated course is made of the demo course's "
            "Russian words, one word in a hundred made up. Targets: build of the 2,000 pages < 3 s, a "
            "question < 20 ms, index < 4× the text.\n\n",
            reps);
        std::printf(
            "| course | pages | text | index | index / text | build, median (min – max) | question, median "
            "(max) | build CPU, median | question CPU, median (max) | check | last hits | targets hold |\n");
        std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
        bool allHold = true;
        for (const Row& row : rows) {
            const double ratio = double(row.indexBytes) / double(std::max<qint64>(1, row.textBytes));
            const bool holds =
                row.build.median() < kBuildTargetMs && row.query.max() < kQueryTargetMs && ratio < kMemoryTarget;
            allHold = allHold && holds;
            std::printf("| %s | %d | %s | %s | %.2f× | %s (%s – %s) | %s (%s) | %s | %s (%s) | %s | %d | %s |\n",
                        qPrintable(row.course), row.pages, qPrintable(megabytes(row.textBytes)),
                        qPrintable(megabytes(row.indexBytes)), ratio, qPrintable(duration(row.build.median())),
                        qPrintable(duration(row.build.min())), qPrintable(duration(row.build.max())),
                        qPrintable(duration(row.query.median())), qPrintable(duration(row.query.max())),
                        qPrintable(duration(row.buildCpu.median())), qPrintable(duration(row.queryCpu.median())),
                        qPrintable(duration(row.queryCpu.max())), qPrintable(duration(row.check.median())), row.hits,
                        qPrintable(yesNo(holds)));
        }
        std::printf("\n%s\n", allHold ? "Every search target holds." : "A search target does not hold.");
        if (!allHold) return 3;
    } catch (const platform::Failure& failure) {
        fail(failure.message());
    }
    return 0;
}
