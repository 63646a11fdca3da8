// The teacher's report at the size of a busy course: `coursedb report` over a course database with
// 100,000 finished tests and two banks of 400 questions, timed from its start to its end, with the
// peak resident memory and the processor time (user and system) of that process alone, from wait4.
// One line a round: "report\t<wall ns>\t<peak RSS KiB>\t<processor ns>". Makes the database first
// (not timed).
//
//   bench_report COURSEDB WORKDIR REPS [ROWS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <random>

#include "data/cursor/TestResults.h"
#include "platform/failure/Failure.h"
#include "tools/coursedb/CourseDb.h"
#include "tools/coursedb/CourseFile.h"

namespace {

constexpr int kBankRows = 400;
constexpr int kQuestions = 20;

qint64 now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

coursedb::Table bank(const QString& name, const QString& question) {
    coursedb::Table table{name, coursedb::QuestionBankFields(), {}};
    for (int n = 1; n <= kBankRows; ++n) {
        QStringList row{QString::number(n), question.arg(n)};
        for (const QChar option : QStringLiteral("abcde")) row << QStringLiteral("%1) ответ %2").arg(option).arg(n);
        row << QString(QChar(u"abcde"[n % 5]));
        table.rows << row;
    }
    return table;
}

// 300 students over 120 days of one term, both languages, answers drawn at random (a fixed seed: every
// run reads the same database) and scored against the bank (question n's right answer is
// "abcde"[n % 5]). A test's first question is one the testing window can start at.
coursedb::Table results(int rows) {
    coursedb::Table table = coursedb::ResultsTable();
    std::mt19937 random(18);
    const QDateTime termStart(QDate(2025, 9, 1), QTime(8, 0), Qt::UTC);
    const QString letters = QStringLiteral("abcde") + QChar(kNoAnswer);
    for (int i = 0; i < rows; ++i) {
        const int student = int(random() % 300);
        const int first = 1 + int(random() % (kBankRows - kQuestions + 1));
        QString answers;
        int score = 0;
        for (int p = 0; p < kQuestions; ++p) {
            const QChar answer = letters[int(random() % letters.size())];
            answers += answer;
            if (answer == QChar(u"abcde"[(first + p) % 5])) ++score;
        }
        table.rows << QStringList{QStringLiteral("Студент %1").arg(student),
                                  student % 3 == 0 ? QStringLiteral("kaz") : QStringLiteral("rus"),
                                  termStart.addSecs(qint64(random() % (120 * 86400))).toString(Qt::ISODate),
                                  QStringLiteral("lab-%1").arg(student % 30),
                                  QString::number(first),
                                  answers,
                                  QString::number(score),
                                  QString::number(60 + int(random() % 1800))};
    }
    return table;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 4 || args.size() > 5) {
        std::fprintf(stderr, "usage: bench_report COURSEDB WORKDIR REPS [ROWS]\n");
        return 2;
    }
    const QString coursedb = args[1];
    const QDir work(args[2]);
    const int reps = args[3].toInt();
    const int rows = args.size() == 5 ? args[4].toInt() : 100000;
    const QString database = work.filePath(QStringLiteral("results.db"));
    const QString out = work.filePath(QStringLiteral("report.html"));
    try {
        QFile::remove(database);
        coursedb::WriteDatabase(
            database, {bank(QStringLiteral("test"), QStringLiteral("Вопрос %1 о курсе")),
                       bank(QStringLiteral("test_kz"), QStringLiteral("Курс туралы %1 сұрақ")), results(rows)});
    } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "bench_report: %s\n", qPrintable(failure.message()));
        return 1;
    }

    const QByteArray program = coursedb.toLocal8Bit(), databaseArg = database.toLocal8Bit(), outArg = out.toLocal8Bit();
    for (int rep = 0; rep < reps; ++rep) {
        const qint64 start = now();
        const pid_t child = fork();
        if (child == 0) {
            // The report's own output is not part of the figure's line.
            freopen("/dev/null", "w", stdout);
            execl(program.constData(), "coursedb", "report", "--force", databaseArg.constData(), outArg.constData(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (child < 0) {
            std::perror("bench_report: fork");
            return 1;
        }
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child) {
            std::perror("bench_report: wait4");
            return 1;
        }
        const qint64 took = now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_report: coursedb report ended with status %d\n", status);
            return 1;
        }
        const auto ns = [](const timeval& t) { return qint64(t.tv_sec) * 1000000000 + qint64(t.tv_usec) * 1000; };
        std::printf("report\t%lld\t%ld\t%lld\n", static_cast<long long>(took), usage.ru_maxrss,
                    static_cast<long long>(ns(usage.ru_utime) + ns(usage.ru_stime)));
        std::fflush(stdout);
    }
    return 0;
}
