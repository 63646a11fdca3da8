// A long session in one process: thousands of chapter recordings through the register, hundreds of
// pages loaded by the real browser pane, and hundreds of whole tests with their results window. Each
// step is checked as it goes, and the process's resident memory (VmRSS), read after a warm-up, must
// not grow beyond a stated bound in any phase: a leak per step would add up over these counts.
#include <malloc.h>

#include <QElapsedTimer>
#include <QFile>
#include <QWebEngineView>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "../testing/TestRun.h"
#include "CourseOutline.h"
#include "Fixture.h"
#include "StatusBar.h"
#include "TreeView.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"
#include "WindowSetGuard.h"

// Under AddressSanitizer a freed block waits in its quarantine (256 MB by default) before it is
// used again, and every heap page touched has shadow pages of its own, so the resident figure grows
// until the quarantine is full whatever the program holds. There the bounds apply to the heap's
// live bytes as the sanitizer's allocator counts them (the quarantine left out); LeakSanitizer
// checks for lost blocks at exit besides.
#if defined(__SANITIZE_ADDRESS__)
#define LONGRUN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LONGRUN_ASAN 1
#endif
#endif
#ifdef LONGRUN_ASAN
// From the sanitizer runtime's allocator interface (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace testrun;
using fixture::CourseRoot;

namespace {

#ifdef LONGRUN_ASAN
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The counts of a phase.
constexpr int kRecordings = 5000;
constexpr int kPageOpenings = 500;
constexpr int kTests = 200;

// Growth allowed over a whole phase once warmed up, in kB. A phase repeats the same work, so what
// it holds at its end is what it held at its start, but for caches settling:
// - recordings: measured within +-0.1 MB over 5000; a leaked statement or query per recording
//   (1 kB or more in SQLite and Qt SQL) would add 5 MB;
// - page openings: the browser engine's own caches move by up to about 3 MB (measured +2.7 MB over
//   500 openings, +0.9 MB over 1500); one leaked copy of a page's text per opening (these pages
//   hold some 25 kB) would add over 12 MB, a leaked page or view far more;
// - complete tests: measured +0.2 to +0.3 MB over 200; a leaked window, box or document per test
//   (10 kB and more) would add 2 MB.
constexpr long kRecordingGrowthKb = 1024;
constexpr long kPageGrowthKb = 8192;
constexpr long kTestGrowthKb = 1024;

long readResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The heap's live bytes in kB as the sanitizer's allocator counts them; -1 without one.
long liveHeapKb() {
#ifdef LONGRUN_ASAN
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return -1;
#endif
}

// The process's resident memory in kB once it has settled: the heap's free pages handed back, and
// the browser engine given time to let go of what it frees late (a hidden view's frames), until two
// readings 200 ms apart are within 256 kB of each other, or for at most 5 s.
long residentKb() {
    long previous = -1;
    long now = -1;
    QDeadlineTimer deadline(5000);
    do {
        previous = now;
        QTest::qWait(200);
        malloc_trim(0);
        now = readResidentKb();
    } while ((previous < 0 || std::abs(now - previous) > 256) && !deadline.hasExpired());
    return now;
}

// The chapter texts the program records: tree labels and week-menu texts of both languages.
QStringList chapterTexts() {
    QStringList texts;
    for (Language language : {Language::Russian, Language::Kazakh}) {
        for (const ChapterEntry& entry : ChapterTree(language)) {
            texts << entry.label;
            for (const ChapterItem& item : entry.items) texts << item.label;
        }
        for (const MenuEntry& entry : WeekMenu(language))
            for (const MenuItem& item : entry.items) texts << MenuChapterText(entry.caption, item.caption);
    }
    texts.removeDuplicates();
    return texts;
}

void writePage(const QString& path, const QString& title) {
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    QByteArray html =
        "<html><head><meta charset='utf-8'><title>" + title.toHtmlEscaped().toUtf8() + "</title></head><body>";
    for (int section = 1; section <= 3; ++section) {
        html += "<h2 id='a" + QByteArray::number(section) + "'>Раздел " + QByteArray::number(section) + "</h2><p>";
        for (int line = 0; line < 200; ++line) html += "Текст раздела, строка " + QByteArray::number(line) + ". ";
        html += "</p>";
    }
    page.write(html + "</body></html>");
}

}  // namespace

class TestLongRun : public QObject {
    Q_OBJECT

    std::unique_ptr<CourseRoot> root;
    std::unique_ptr<WindowSetGuard> windows;
    std::unique_ptr<QSignalSpy> loads;
    QStringList chapters;
    int recordings = 0;
    int pages = 0;
    int tests = 0;
    QElapsedTimer wholeRun;

    // One chapter recorded as the tree and the menu record it.
    void recordChapter() {
        const QString chapter = chapters[recordings % chapters.size()];
        ++recordings;
        DataModule5->RecordChapter(chapter);
        DataModule5->ShowCurrentUser(Form2->StatusBar1);
        QCOMPARE(Form2->StatusBar1->panelText(4), chapter);
    }

    // The next page from the chapter tree: the top-level entries in turn, so that every opening
    // loads another file, the whole page or one of its sections in turn.
    void openPage() {
        const int top = pages % 18;
        QTreeWidgetItem* entry = Form2->TreeView1->topLevelItem(top);
        const bool videoRoot = entry->text(0) == VideoRootLabel(Language::Russian);
        const int section = videoRoot ? 0 : (pages / 18) % (entry->childCount() + 1);
        ++pages;
        const qsizetype before = loads->size();
        Form2->TreeView1->setCurrentItem(section ? entry->child(section - 1) : entry);
        emit Form2->TreeView1->doubleClicked();
        QTRY_COMPARE_WITH_TIMEOUT(loads->size(), before + 1, 30000);
        QCOMPARE(loads->last().first().toBool(), true);
        const QString file = root->path() + QStringLiteral("/web/") + entry->text(0) + QStringLiteral(".htm");
        QCOMPARE(Form3->WebBrowser1->url().toLocalFile(), file);
        QCOMPARE(Form3->WebBrowser1->url().fragment(), section ? QStringLiteral("a%1").arg(section) : QString());
        QVERIFY(Form3->isVisible());
    }

    // One whole test from the main window: twenty answers, one of them wrong, the results window,
    // and its "Ok" back to the main window.
    void takeTest() {
        const int start = 1 + (tests * 37) % 379;
        const int wrongPosition = tests % 20 + 1;
        ++tests;
        SetWindowStartSource([start] { return start; });
        Form2->test5->click();
        QVERIFY(Form4->isVisible());
        for (int position = 1; position <= 20; ++position) {
            const int right = (start + position - 2) % 5;
            ClickAnswer(QChar(u"abcde"[position == wrongPosition ? (right + 1) % 5 : right]));
        }
        Finish();
        QVERIFY(Form7->isVisible());
        QCOMPARE(ResultLines(),
                 (QStringList{QStringLiteral("Студент - Айгерим"), QStringLiteral("В тестировании набрали - 19 баллов"),
                              QStringLiteral("Неправильно ответили на следующие вопросы , %1").arg(wrongPosition)}));
        Form7->BitBtn1->click();
        QVERIFY(!Form7->isVisible() && !Form4->isVisible());
        QVERIFY(Form2->isVisible());
    }

    // Runs a step `count` times and checks the memory the phase added, read in the state the phase
    // began in: `settle` brings the windows back to it.
    template <class Step, class Settle>
    void phase(const char* name, int count, Step step, Settle settle, long allowedKb) {
        const long before = residentKb();
        const long liveBefore = liveHeapKb();
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i) {
            step();
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("%1: step %2 failed").arg(name).arg(i + 1)));
        }
        const double seconds = clock.elapsed() / 1000.0;
        settle();
        const long after = residentKb();
        const long liveAfter = liveHeapKb();
        QVERIFY2(before > 0 && after > 0, "VmRSS cannot be read");
        if (kSanitized) {
            qInfo(
                "%s: %d in %.1f s (%.2f ms each); VmRSS %ld kB at the start, %ld kB at the end, %+ld kB; live heap "
                "%ld kB at the start, %ld kB at the end, %+ld kB (allowed %ld kB)",
                name, count, seconds, 1000.0 * seconds / count, before, after, after - before, liveBefore, liveAfter,
                liveAfter - liveBefore, allowedKb);
            QVERIFY2(
                liveAfter - liveBefore <= allowedKb,
                qPrintable(QStringLiteral("%1 grew the live heap by %2 kB").arg(name).arg(liveAfter - liveBefore)));
            return;
        }
        qInfo("%s: %d in %.1f s (%.2f ms each); VmRSS %ld kB at the start, %ld kB at the end, %+ld kB (allowed %ld kB)",
              name, count, seconds, 1000.0 * seconds / count, before, after, after - before, allowedKb);
        QVERIFY2(after - before <= allowedKb,
                 qPrintable(QStringLiteral("%1 grew the resident memory by %2 kB").arg(name).arg(after - before)));
    }

private slots:
    void initTestCase() {
        wholeRun.start();
        AllowBrowserAsRoot();
        // Each recording is stored at once, with the database's flushes to disk; on a disk shared with
        // builds those take from 1 to 20 ms each, which is the disk's time, not the program's. The
        // course lies in memory where there is room for it; the stores are the same.
        if (QFileInfo(QStringLiteral("/dev/shm")).isDir() && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
        chapters = chapterTexts();
        root = std::make_unique<CourseRoot>(400);
        qInfo("course root %s", qPrintable(root->path()));
        QDir().mkpath(root->path() + QStringLiteral("/web"));
        for (const ChapterEntry& entry : ChapterTree(Language::Russian))
            writePage(root->path() + QStringLiteral("/web/") + entry.label + QStringLiteral(".htm"), entry.label);
        windows = std::make_unique<WindowSetGuard>(root->path());
        ChooseLanguage(Language::Russian);
        QVERIFY(Form2->isVisible());
        loads = std::make_unique<QSignalSpy>(Form3->WebBrowser1, &QWebEngineView::loadFinished);
        qInfo("VmRSS %ld kB with the window set created and Russian chosen", residentKb());
    }

    // Every kind of step a few times, so that the browser engine, the database's caches and every
    // window have reached their working size before anything is measured.
    void warmUp() {
        for (int i = 0; i < 200; ++i) recordChapter();
        for (int i = 0; i < 72; ++i) openPage();  // beyond the 50 steps the browser's history keeps
        Form3->close();
        for (int i = 0; i < 10; ++i) takeTest();
        qInfo("VmRSS %ld kB after the warm-up", residentKb());
    }

    void chapterRecordings() {
        phase(
            "chapter recordings", kRecordings, [this] { recordChapter(); }, [] {}, kRecordingGrowthKb);
        // The register holds the last chapter, and still its three users.
        const QString last = chapters[(recordings - 1) % chapters.size()];
        QCOMPARE(root->rows(QStringLiteral("user1")),
                 (QStringList{QStringLiteral("Айгерим|") + last, "Борис|<null>", "Сәуле|Введение"}));
    }

    void pageOpenings() {
        phase(
            "page openings", kPageOpenings, [this] { openPage(); }, [] { Form3->close(); }, kPageGrowthKb);
    }

    void completeTests() {
        phase(
            "complete tests", kTests, [this] { takeTest(); }, [] {}, kTestGrowthKb);
        QVERIFY(windows->desktop.questions.isEmpty());
    }

    void cleanupTestCase() {
        QCOMPARE(windows->desktop.errors.size(), 0);
        loads.reset();
        windows.reset();
        SetWindowStartSource({});
        qInfo(
            "whole run, warm-up included: %d chapter recordings, %d page openings (each recording its chapter as "
            "well), %d complete tests in %.1f s",
            recordings, pages, tests, wholeRun.elapsed() / 1000.0);
    }
};

QTEST_MAIN(TestLongRun)
#include "tst_longrun.moc"
