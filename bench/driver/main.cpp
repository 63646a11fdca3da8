// Runs the real textbook and its bare baselines under an X display, driven as a user would drive
// them, and reads the moments off their trace files (TEXTBOOK_TRACE). The driver reads the
// monotonic clock just before it starts a program, clicks or presses a key; the programs write the
// same clock into their traces. Clicks and keys go through the display's XTest extension straight
// from here, and windows are found with Xlib: xdotool, a process of its own, takes about 0.1 s to
// start on this machine, which would count against the program or crowd it.
//
//   bench_driver gui OPTIONS      prints one measurement a line: "<benchmark>\t<side>\t<value>"
//       --textbook BIN --bare-window BIN --bare-browser BIN --course DIR --work DIR
//       [--reps N] [--memory-reps N] [--choose-after-ms MS] [--open-at-ms MS]
//   bench_driver table RESULTS    prints the table of the measurements in RESULTS
//
// A run of the textbook: start -> language window's first frame (start-up); 0.3 s after that frame
// a click on "Rus" -> main window's first frame (language choice); 1 s after the start (and 0.3 s
// after the main window's frame at the earliest) a double-click on "1 Неделя" -> page loaded, and
// the viewer painted where the textbook marks it (first page); then "2 Неделя", its first section,
// from the viewer's menu -> page loaded (next page). The bare browser is driven through the same
// steps: a double-click on its first window, then a click above its view.
// Memory runs repeat the way to the first page and sample the PSS of the whole process tree.
#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QList>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <functional>
#include <optional>

#include "Driver.h"
#include "ProcessTree.h"
#include "ResultsTable.h"
#include "TraceFile.h"
#include "XSession.h"
#include "content/rules/ContentRules.h"
#include "content/rules/CourseOutline.h"

// The keys' names only (XK_Return ...): no Xlib macros.
#include <X11/keysym.h>

namespace {

// Off during the warm-up round, which only brings the programs' files into the page cache.
bool recording = true;

void report(const QString& benchmark, const char* side, qint64 value) {
    if (!recording) return;
    std::printf("%s\t%s\t%lld\n", qPrintable(benchmark), side, static_cast<long long>(value));
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------------------
// One program run

class Run {
public:
    Run(const QString& program, const QStringList& args, const QString& workingDirectory, const QString& tracePath,
        const QString& logPath, bool sampleMemory)
        : trace_(tracePath), sampleMemory_(sampleMemory) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TEXTBOOK_TRACE"), tracePath);
        if (geteuid() == 0) env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(workingDirectory);
        process_.setStandardOutputFile(logPath, QIODevice::Append);
        process_.setStandardErrorFile(logPath, QIODevice::Append);
        started_ = now();
        process_.start(program, args);
        if (!process_.waitForStarted()) fail(QStringLiteral("cannot start %1").arg(program));
        name_ = QFileInfo(program).fileName();
        sample();
    }

    ~Run() { stop(); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    qint64 started() const { return started_; }
    qint64 peakPssKb() const { return peakPss_; }
    const TraceFile& trace() const { return trace_; }

    // The first event of that name at or after the moment, whose detail passes the check.
    Event waitFor(const QByteArray& name, qint64 after, const std::function<bool(const QString&)>& detailOk = {},
                  int timeoutMs = 30000) {
        const qint64 deadline = now() + timeoutMs * kMs;
        for (;;) {
            for (const Event& event : trace_.events()) {
                if (event.at < after) continue;
                if (event.name == "page-failed") fail(QStringLiteral("%1: page failed: %2").arg(name_, event.detail));
                if (event.name == name && (!detailOk || detailOk(event.detail))) return event;
            }
            if (now() > deadline) fail(QStringLiteral("%1: no %2 after %3 s").arg(name_, name).arg(timeoutMs / 1000));
            checkAlive();
            idle(std::min(deadline, now() + 100 * kMs));
        }
    }

    // Lets time pass until the moment, sampling memory meanwhile.
    void idleUntil(qint64 moment) {
        while (now() < moment) idle(moment);
    }

    pid_t pid() const { return pid_t(process_.processId()); }

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        const QList<pid_t> tree = processTree(pid());
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
        // The engine's helpers follow their parent out; any left after a while are ended.
        const qint64 deadline = now() + 3000 * kMs;
        for (pid_t child : tree.mid(1)) {
            while (alive(child) && now() < deadline) usleep(20000);
            if (alive(child) && commandOf(child).startsWith("QtWebEngine")) kill(child, SIGKILL);
        }
    }

private:
    void checkAlive() {
        QCoreApplication::processEvents();
        if (process_.state() == QProcess::NotRunning)
            fail(QStringLiteral("%1 ended early (exit code %2)").arg(name_).arg(process_.exitCode()));
    }

    void sample() {
        if (!sampleMemory_) return;
        qint64 total = 0;
        for (pid_t pid : processTree(pid())) total += pssKb(pid);
        peakPss_ = std::max(peakPss_, total);
        nextSample_ = now() + 50 * kMs;
    }

    // Waits for a change of the trace, at most until the moment.
    void idle(qint64 until) {
        if (sampleMemory_) {
            if (now() >= nextSample_) sample();
            until = std::min(until, nextSample_);
        }
        const qint64 left = until - now();
        if (left > 0) trace_.waitForChange(int((left + kMs - 1) / kMs));
    }

    QProcess process_;
    TraceFile trace_;
    QString name_;
    qint64 started_ = 0;
    bool sampleMemory_;
    qint64 peakPss_ = 0;
    qint64 nextSample_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Scenarios

struct Setup {
    QString textbook, bareWindow, bareBrowser, course, work;
    int reps = 7;
    int memoryReps = 3;
    int chooseAfterMs = 300;  // how long a user looks at a new window before clicking in it
    int openAtMs = 1000;      // the double-click on the first page, after the start at the earliest
    QUrl firstPage, nextPage;
    QPoint nextMenuTitle;  // "2 Неделя" in the viewer's client area
    QPoint bareMenuTitle;  // the same in the bare browser's menu
    XSession* display = nullptr;
    int counter = 0;

    QString tracePath() { return QStringLiteral("%1/trace-%2.txt").arg(work).arg(++counter); }
    QString logPath() const { return work + QStringLiteral("/programs.log"); }
};

bool samePage(const QString& detail, const QUrl& page) { return QUrl(detail) == page; }

// What the program calls the moment its page is on screen, when it marks one: the pane's first
// paint after the page loaded.
constexpr char kViewerPainted[] = "viewer-painted";

struct PageTimes {
    qint64 loaded = 0;
    std::optional<qint64> painted;  // loaded and painted, where the program marks its paint
};

// After a trigger at `from`: the page loaded and, where marked, the pane painted after the load.
// Lets the program settle for a while after the load either way.
PageTimes pageShown(Run& run, qint64 from, const QUrl& page) {
    const Event loaded = run.waitFor("page-loaded", from, [&](const QString& d) { return samePage(d, page); });
    run.idleUntil(loaded.at + 700 * kMs);
    PageTimes times{loaded.at - from, std::nullopt};
    if (const auto painted = run.trace().find(kViewerPainted, loaded.at)) times.painted = painted->at - from;
    return times;
}

void reportPage(const char* side, const PageTimes& times) {
    report(QStringLiteral("first-page-loaded"), side, times.loaded);
    if (times.painted) report(QStringLiteral("first-page-painted"), side, *times.painted);
}

void reportNextPage(const char* side, const PageTimes& times) {
    report(QStringLiteral("next-page-loaded"), side, times.loaded);
    if (times.painted) report(QStringLiteral("next-page-painted"), side, *times.painted);
}

// The next page as the viewer's user takes it: the menu opened with a click on its title, its first
// item chosen with the keys. Returns the moment of the key that chooses.
qint64 chooseFirstItem(Setup& s, Run& run, const QPoint& title) {
    s.display->moveTo(title);
    s.display->click();
    run.idleUntil(now() + 300 * kMs);
    s.display->key(XK_Down);
    run.idleUntil(now() + 150 * kMs);
    const qint64 choose = now();
    s.display->key(XK_Return);
    return choose;
}

void runTextbook(Setup& s, bool memory) {
    Run run(s.textbook, {}, s.course, s.tracePath(), s.logPath(), memory);
    const qint64 start = run.started();
    const Event language = run.waitFor("language-window-painted", start);
    s.display->moveTo(s.display->window(QStringLiteral("Выбор языка")) + QPoint(450 + 33, 388 + 20));  // "Rus"
    run.idleUntil(language.at + s.chooseAfterMs * kMs);

    const qint64 click = now();
    s.display->click();
    const Event main = run.waitFor("main-window-painted", click);

    // "1 Неделя", the second line of the chapter tree (group box at 35,82; tree at 10,26 in it).
    s.display->moveTo(s.display->window(QStringLiteral("Электронный учебник")) + QPoint(35 + 10 + 60, 82 + 26 + 27));
    run.idleUntil(std::max(start + s.openAtMs * kMs, main.at + s.chooseAfterMs * kMs));

    const qint64 doubleClick = now();
    s.display->click(2);
    const PageTimes first = pageShown(run, doubleClick, s.firstPage);
    if (memory) {
        report(QStringLiteral("memory"), "textbook", run.peakPssKb());
        return;
    }
    report(QStringLiteral("start-up"), "textbook", language.at - start);
    report(QStringLiteral("language-choice"), "textbook", main.at - click);
    reportPage("textbook", first);

    const qint64 choose = chooseFirstItem(s, run, s.display->window(QStringLiteral("3")) + s.nextMenuTitle);
    reportNextPage("textbook", pageShown(run, choose, s.nextPage));
}

void runBareWindow(Setup& s) {
    Run run(s.bareWindow, {}, s.work, s.tracePath(), s.logPath(), false);
    const Event painted = run.waitFor("window-painted", run.started());
    // The same bare frame is the yardstick of both the start-up and the language choice.
    report(QStringLiteral("start-up"), "baseline", painted.at - run.started());
    report(QStringLiteral("language-choice"), "baseline", painted.at - run.started());
}

// The bare browser; with a menu, only its next page counts, as what choosing from a menu adds.
void runBareBrowser(Setup& s, bool memory, bool menu = false) {
    QStringList args{s.firstPage.toString(QUrl::FullyEncoded), s.nextPage.toString(QUrl::FullyEncoded)};
    if (menu) args << QStringLiteral("--menu");
    Run run(s.bareBrowser, args, s.work, s.tracePath(), s.logPath(), memory);
    const qint64 start = run.started();
    const Event painted = run.waitFor("window-painted", start);
    // The baseline is a warmed view: its empty page has loaded before the double-click comes.
    const Event warmed = run.waitFor("page-loaded", start, [](const QString& d) { return d == u"about:blank"; });
    s.display->moveTo(s.display->window(QStringLiteral("bare browser")) + QPoint(319, 226));
    // As late as the textbook's double-click comes at the least: two pauses after a first frame.
    run.idleUntil(std::max(
        {start + s.openAtMs * kMs, painted.at + 2 * s.chooseAfterMs * kMs, warmed.at + s.chooseAfterMs * kMs}));

    const qint64 doubleClick = now();
    s.display->click(2);
    const PageTimes first = pageShown(run, doubleClick, s.firstPage);
    if (memory) {
        report(QStringLiteral("memory"), "baseline", run.peakPssKb());
        return;
    }
    if (!menu) reportPage("baseline", first);

    const QPoint view = s.display->window(QStringLiteral("bare browser view"));
    qint64 choose = 0;
    if (menu) {
        choose = chooseFirstItem(s, run, view + s.bareMenuTitle);
    } else {
        // The strip above the view stands where the viewer's menu is.
        s.display->moveTo(view + QPoint(s.nextMenuTitle.x(), 8));
        run.idleUntil(now() + 450 * kMs);
        choose = now();
        s.display->click();
    }
    const PageTimes next = pageShown(run, choose, s.nextPage);
    if (!menu) {
        reportNextPage("baseline", next);
    } else {
        report(QStringLiteral("next-page-menu-loaded"), "baseline", next.loaded);
        if (next.painted) report(QStringLiteral("next-page-menu-painted"), "baseline", *next.painted);
    }
}

// The centre of a menu bar's title, the bar laid out here (same style and fonts as the programs
// on this display) across the work area's width. Entries: caption, and whether it holds a menu.
QPoint menuTitleCentre(const QList<QPair<QString, bool>>& entries, const QString& wanted) {
    QMenuBar bar;
    QAction* found = nullptr;
    for (const auto& [caption, holdsMenu] : entries) {
        QAction* action = holdsMenu ? bar.addMenu(caption)->menuAction() : bar.addAction(caption);
        if (caption == wanted) found = action;
    }
    if (!found) fail(QStringLiteral("no menu \"%1\"").arg(wanted));
    const int width = QGuiApplication::primaryScreen()->availableGeometry().width();
    bar.resize(width, bar.heightForWidth(width));
    return bar.actionGeometry(found).center();
}

int gui(const QStringList& args) {
    Setup s;
    for (int i = 2; i + 1 < args.size(); i += 2) {
        const QString& key = args[i];
        const QString& value = args[i + 1];
        if (key == u"--textbook")
            s.textbook = value;
        else if (key == u"--bare-window")
            s.bareWindow = value;
        else if (key == u"--bare-browser")
            s.bareBrowser = value;
        else if (key == u"--course")
            s.course = value;
        else if (key == u"--work")
            s.work = value;
        else if (key == u"--reps")
            s.reps = value.toInt();
        else if (key == u"--memory-reps")
            s.memoryReps = value.toInt();
        else if (key == u"--choose-after-ms")
            s.chooseAfterMs = value.toInt();
        else if (key == u"--open-at-ms")
            s.openAtMs = value.toInt();
        else
            fail(QStringLiteral("unknown option %1").arg(key));
    }
    if (s.textbook.isEmpty() || s.bareWindow.isEmpty() || s.bareBrowser.isEmpty() || s.course.isEmpty() ||
        s.work.isEmpty())
        fail(QStringLiteral("gui needs --textbook, --bare-window, --bare-browser, --course and --work"));
    s.firstPage = AddressUrl(PageAddress(s.course, Language::Russian, QStringLiteral("1 Неделя")));
    s.nextPage = AddressUrl(SectionAddress(s.course, Language::Russian, QStringLiteral("2 Неделя"), 1));
    QList<QPair<QString, bool>> weekMenu;
    for (const MenuEntry& entry : WeekMenu(Language::Russian)) weekMenu.append({entry.caption, !entry.items.isEmpty()});
    const QString week = QStringLiteral("2 Неделя");
    s.nextMenuTitle = menuTitleCentre(weekMenu, week);
    s.bareMenuTitle = menuTitleCentre({{week, true}}, week);
    XSession display;
    s.display = &display;

    note(QStringLiteral("warm-up round (not counted)"));
    recording = false;
    runTextbook(s, false);
    runBareWindow(s);
    runBareBrowser(s, false);
    recording = true;
    // Alternately, the order turned each round, so that a drift of the machine weighs on both.
    for (int rep = 1; rep <= s.reps; ++rep) {
        note(QStringLiteral("round %1 of %2: textbook, bare window, bare browser (also with a menu)")
                 .arg(rep)
                 .arg(s.reps));
        if (rep % 2) {
            runTextbook(s, false);
            runBareWindow(s);
            runBareBrowser(s, false);
            runBareBrowser(s, false, true);
        } else {
            runBareBrowser(s, false, true);
            runBareBrowser(s, false);
            runBareWindow(s);
            runTextbook(s, false);
        }
    }
    for (int rep = 1; rep <= s.memoryReps; ++rep) {
        note(QStringLiteral("memory round %1 of %2").arg(rep).arg(s.memoryReps));
        if (rep % 2) {
            runTextbook(s, true);
            runBareBrowser(s, true);
        } else {
            runBareBrowser(s, true);
            runTextbook(s, true);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == u"table" && argc == 3) {
        QCoreApplication application(argc, argv);
        return table(application.arguments()[2]);
    }
    if (mode == u"gui") {
        // Widgets only to lay out the viewer's menu bar as the viewer does on this display.
        QApplication application(argc, argv);
        return gui(application.arguments());
    }
    std::fprintf(stderr, "usage: see the head of bench/driver/main.cpp\n");
    return 2;
}
