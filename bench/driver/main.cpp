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
#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/inotify.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>

#include "content/rules/ContentRules.h"
#include "content/rules/CourseOutline.h"

// Last: Xlib defines macros (Bool, Status, None...) that Qt's headers must not meet.
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

constexpr qint64 kMs = 1000000;

qint64 now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_driver: %s\n", qPrintable(why));
    std::exit(1);
}

void note(const QString& text) {
    std::fprintf(stderr, "  %s\n", qPrintable(text));
    std::fflush(stderr);
}

// Off during the warm-up round, which only brings the programs' files into the page cache.
bool recording = true;

void report(const QString& benchmark, const char* side, qint64 value) {
    if (!recording) return;
    std::printf("%s\t%s\t%lld\n", qPrintable(benchmark), side, static_cast<long long>(value));
    std::fflush(stdout);
}

// The display as a user meets it: its windows found by their titles, the pointer and the keyboard
// driven through XTest. XTest is loaded at run time from the library xdotool itself uses, so that
// building needs no XTest development files.
class XSession {
public:
    XSession() {
        display_ = XOpenDisplay(nullptr);
        if (!display_) fail(QStringLiteral("cannot open the display"));
        xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
        if (!xtst_) fail(QStringLiteral("cannot load libXtst: %1").arg(QString::fromLocal8Bit(dlerror())));
        resolve("XTestFakeMotionEvent", motion_);
        resolve("XTestFakeButtonEvent", button_);
        resolve("XTestFakeKeyEvent", key_);
        netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
        utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    }
    ~XSession() {
        XCloseDisplay(display_);
        dlclose(xtst_);
    }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // The top-left corner of the shown top-level window with exactly this title.
    QPoint window(const QString& title, int timeoutMs = 10000) {
        const qint64 deadline = now() + timeoutMs * kMs;
        do {
            if (const auto at = find(title)) return *at;
            usleep(10000);
        } while (now() < deadline);
        fail(QStringLiteral("no window \"%1\"").arg(title));
    }

    void moveTo(const QPoint& screen) {
        motion_(display_, -1, screen.x(), screen.y(), CurrentTime);
        XSync(display_, False);
    }
    // Presses and releases the left button, twice for a double-click.
    void click(int times = 1) {
        for (int i = 0; i < times; ++i) {
            button_(display_, Button1, True, CurrentTime);
            button_(display_, Button1, False, CurrentTime);
        }
        XSync(display_, False);
    }
    void key(KeySym keysym) {
        const unsigned int code = XKeysymToKeycode(display_, keysym);
        key_(display_, code, True, CurrentTime);
        key_(display_, code, False, CurrentTime);
        XSync(display_, False);
    }

private:
    template <class F>
    void resolve(const char* name, F*& function) {
        function = reinterpret_cast<F*>(dlsym(xtst_, name));
        if (!function) fail(QStringLiteral("no %1 in libXtst").arg(QLatin1String(name)));
    }

    QString title(Window window) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        QString text;
        if (XGetWindowProperty(display_, window, netWmName_, 0, 1024, False, utf8_, &type, &format, &items, &after,
                               &data) == Success &&
            data) {
            text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(items));
            XFree(data);
        }
        return text;
    }

    std::optional<QPoint> find(const QString& wanted) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        std::optional<QPoint> found;
        if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return found;
        for (unsigned int i = 0; i < count && !found; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            if (title(children[i]) == wanted) found = QPoint(attributes.x, attributes.y);
        }
        if (children) XFree(children);
        return found;
    }

    ::Display* display_ = nullptr;
    void* xtst_ = nullptr;
    Atom netWmName_ = 0;
    Atom utf8_ = 0;
    int (*motion_)(::Display*, int, int, int, unsigned long) = nullptr;
    int (*button_)(::Display*, unsigned int, Bool, unsigned long) = nullptr;
    int (*key_)(::Display*, unsigned int, Bool, unsigned long) = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Process tree and its memory

// The children of every process, from /proc.
QMultiHash<pid_t, pid_t> processChildren() {
    QMultiHash<pid_t, pid_t> children;
    DIR* proc = opendir("/proc");
    if (!proc) return children;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = pid_t(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.readAll();
        // "pid (comm) state ppid ...": the command may hold spaces and parentheses.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1) children.insert(pid_t(fields[1].toInt()), pid);
    }
    closedir(proc);
    return children;
}

QList<pid_t> processTree(pid_t root) {
    const QMultiHash<pid_t, pid_t> children = processChildren();
    QList<pid_t> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i) tree += children.values(tree[i]);
    return tree;
}

// Proportional set size of a process in kB; 0 when it is gone.
qint64 pssKb(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Pss:")) return line.mid(4).trimmed().split(' ').first().toLongLong();
    return 0;
}

bool alive(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

QByteArray commandOf(pid_t pid) {
    QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// ---------------------------------------------------------------------------------------------
// Trace file

struct Event {
    QByteArray name;
    qint64 at = 0;
    QString detail;
};

// A trace file watched with inotify, so that waiting for a line costs the machine nothing.
class Trace {
public:
    explicit Trace(const QString& path) : path_(path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail(QStringLiteral("cannot write %1").arg(path));
        file.close();
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0 || inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_MODIFY) < 0)
            fail(QStringLiteral("cannot watch %1").arg(path));
    }
    ~Trace() { close(fd_); }
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    QString path() const { return path_; }

    QList<Event> events() const {
        QList<Event> events;
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly)) return events;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 2) continue;
            events << Event{parts[0], parts[1].toLongLong(),
                            QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2))};
        }
        return events;
    }

    std::optional<Event> find(const QByteArray& name, qint64 after) const {
        for (const Event& event : events())
            if (event.name == name && event.at >= after) return event;
        return std::nullopt;
    }

    // Blocks until the file changes or the time is up.
    void waitForChange(int timeoutMs) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) > 0) {
            char buffer[4096];
            while (read(fd_, buffer, sizeof buffer) > 0) {
            }
        }
    }

private:
    QString path_;
    int fd_ = -1;
};

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
    const Trace& trace() const { return trace_; }

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
    Trace trace_;
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
    const Event next = run.waitFor("page-loaded", choose, [&](const QString& d) { return samePage(d, s.nextPage); });
    report(QStringLiteral("next-page"), "textbook", next.at - choose);
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
    const Event next = run.waitFor("page-loaded", choose, [&](const QString& d) { return samePage(d, s.nextPage); });
    report(menu ? QStringLiteral("next-page-menu") : QStringLiteral("next-page"), "baseline", next.at - choose);
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

// ---------------------------------------------------------------------------------------------
// Table

struct Figures {
    QList<double> values;
    double median() const {
        QList<double> v = values;
        std::sort(v.begin(), v.end());
        const qsizetype n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    double min() const { return *std::min_element(values.begin(), values.end()); }
    double max() const { return *std::max_element(values.begin(), values.end()); }
};

QString duration(double ns) {
    if (ns >= 100 * kMs) return QString::number(ns / kMs, 'f', 0) + QStringLiteral(" ms");
    if (ns >= 1 * kMs) return QString::number(ns / kMs, 'f', 1) + QStringLiteral(" ms");
    if (ns >= 1000) return QString::number(ns / 1000, 'f', 0) + QStringLiteral(" µs");
    return QString::number(ns, 'f', 0) + QStringLiteral(" ns");
}

QString memory(double kb) { return QString::number(kb / 1024, 'f', 0) + QStringLiteral(" MiB"); }

QString cell(const Figures& f, QString (*format)(double)) {
    return QStringLiteral("%1 (%2 – %3)").arg(format(f.median()), format(f.min()), format(f.max()));
}

int table(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read %1").arg(path));
    QHash<QString, Figures> figures;  // "benchmark/side"
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() != 3) continue;
        figures[QString::fromUtf8(parts[0] + '/' + parts[1])].values << parts[2].toDouble();
    }
    auto has = [&](const QString& key) {
        return figures.contains(key + QStringLiteral("/textbook")) &&
               figures.contains(key + QStringLiteral("/baseline"));
    };
    const bool painted = has(QStringLiteral("first-page-painted"));

    struct Row {
        QString label, key;
        double target;
        QString targetText;
        QString (*format)(double);
    };
    const QList<Row> rows{
        {QStringLiteral("start-up"), QStringLiteral("start-up"), 2.0, QStringLiteral("≤ 2.0×"), duration},
        {QStringLiteral("language choice"), QStringLiteral("language-choice"), 1.0, QStringLiteral("≤ 1.0×"), duration},
        {painted ? QStringLiteral("first page") : QStringLiteral("first page (loaded; no viewer-painted mark)"),
         painted ? QStringLiteral("first-page-painted") : QStringLiteral("first-page-loaded"), 1.2,
         QStringLiteral("≤ 1.2×"), duration},
        {QStringLiteral("next page"), QStringLiteral("next-page"), 1.2, QStringLiteral("≤ 1.2×"), duration},
        {QStringLiteral("mask region"), QStringLiteral("mask-region"), 1.0 / 15, QStringLiteral("≤ 1/15 (0.067×)"),
         duration},
        {QStringLiteral("chapter store"), QStringLiteral("chapter-store"), 2.0, QStringLiteral("≤ 2.0×"), duration},
        {QStringLiteral("chapter store, PostgreSQL"), QStringLiteral("server-chapter-store"), 1.5,
         QStringLiteral("≤ 1.5×"), duration},
        {QStringLiteral("memory"), QStringLiteral("memory"), 1.15, QStringLiteral("≤ 1.15×"), memory},
        {QStringLiteral("scale"), QStringLiteral("scale"), 2.0, QStringLiteral("≤ 2.0×"), duration},
    };
    QTextStream out(stdout);
    out << "| benchmark | textbook, median (min – max) | baseline, median (min – max) | ratio | target | holds |\n";
    out << "|---|---|---|---|---|---|\n";
    int failing = 0;
    for (const Row& row : rows) {
        if (!has(row.key)) {
            out << "| " << row.label << " | not measured | not measured | – | " << row.targetText << " | NO |\n";
            ++failing;
            continue;
        }
        const Figures& t = figures[row.key + QStringLiteral("/textbook")];
        const Figures& b = figures[row.key + QStringLiteral("/baseline")];
        const double ratio = t.median() / b.median();
        const bool holds = ratio <= row.target;
        failing += !holds;
        out << "| " << row.label << " | " << cell(t, row.format) << " | " << cell(b, row.format) << " | "
            << QString::number(ratio, 'f', ratio < 0.1 ? 3 : 2) << "× | " << row.targetText << " | "
            << (holds ? "yes" : "NO") << " |\n";
    }
    // Parts and companions of the figures above, for the reader who looks for the cost.
    struct Part {
        QString label, key;
    };
    // The first page's figures the table does not show: the painted ones of the bare view while the
    // textbook marks no paint, the loaded-only ones once it does.
    const QString shown = painted ? QStringLiteral("first-page-painted") : QStringLiteral("first-page-loaded");
    const QList<Part> parts{
        {QStringLiteral("first page, textbook, loaded"), QStringLiteral("first-page-loaded/textbook")},
        {QStringLiteral("first page, bare view, loaded"), QStringLiteral("first-page-loaded/baseline")},
        {QStringLiteral("first page, bare view, loaded and painted"), QStringLiteral("first-page-painted/baseline")},
        {QStringLiteral("next page, bare view chosen from a one-item menu with the same keys"),
         QStringLiteral("next-page-menu/baseline")},
        {QStringLiteral("scale, textbook: click on \"Rus\" → main window's first frame"),
         QStringLiteral("scale-language/textbook")},
        {QStringLiteral("scale, textbook: register opened, Ctrl+End, its last row painted"),
         QStringLiteral("scale-register/textbook")},
    };
    out << "\nParts and companions, median (min – max):\n\n";
    for (const Part& part : parts)
        if (figures.contains(part.key) && !part.key.startsWith(shown + u'/'))
            out << "- " << part.label << ": " << cell(figures[part.key], duration) << "\n";
    // A lab's machines at once on the server: figures of their own, with no baseline.
    const QList<QPair<QString, QString>> loads{{QStringLiteral("paced"), QStringLiteral("each machine pausing 0–20 ms "
                                                                                        "between stores")},
                                               {QStringLiteral("flat"), QStringLiteral("no pause")}};
    bool loadHead = false;
    for (const auto& [pace, label] : loads) {
        const QString key = QStringLiteral("server-load/") + pace;
        if (!figures.contains(key + QStringLiteral("-p50"))) continue;
        if (!loadHead)
            out << "\nLab load on the PostgreSQL server, every machine storing into its own register row, median (min "
                   "– max) of the runs:\n\n";
        loadHead = true;
        const Figures& clients = figures[key + QStringLiteral("-clients")];
        const Figures& rate = figures[key + QStringLiteral("-rate")];
        out << "- " << QString::number(clients.median(), 'f', 0) << " machines, " << label << ": store p50 "
            << cell(figures[key + QStringLiteral("-p50")], duration) << ", p99 "
            << cell(figures[key + QStringLiteral("-p99")], duration) << "; "
            << QStringLiteral("%1 stores/s (%2 – %3)")
                   .arg(rate.median(), 0, 'f', 0)
                   .arg(rate.min(), 0, 'f', 0)
                   .arg(rate.max(), 0, 'f', 0)
            << "\n";
    }
    out << "\n"
        << (failing ? QString::number(failing) + QStringLiteral(" target(s) do not hold.")
                    : QStringLiteral("Every target holds."))
        << "\n";
    out.flush();
    return failing ? 3 : 0;
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
    std::fprintf(stderr, "usage: see the head of bench/driver.cpp\n");
    return 2;
}
