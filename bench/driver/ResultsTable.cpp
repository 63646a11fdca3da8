#include "ResultsTable.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextStream>
#include <algorithm>

#include "Driver.h"
#include "bench/Figures.h"

namespace {

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

}  // namespace

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
    // A page's figure counts the paint after the load once the textbook marks it, as the bare view's does.
    const bool painted = has(QStringLiteral("first-page-painted"));
    const bool nextPainted = has(QStringLiteral("next-page-painted"));

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
        {nextPainted ? QStringLiteral("next page") : QStringLiteral("next page (loaded; no viewer-painted mark)"),
         nextPainted ? QStringLiteral("next-page-painted") : QStringLiteral("next-page-loaded"), 1.2,
         QStringLiteral("≤ 1.2×"), duration},
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
    const QStringList shown{painted ? QStringLiteral("first-page-painted") : QStringLiteral("first-page-loaded"),
                            nextPainted ? QStringLiteral("next-page-painted") : QStringLiteral("next-page-loaded")};
    const QList<Part> parts{
        {QStringLiteral("first page, textbook, loaded"), QStringLiteral("first-page-loaded/textbook")},
        {QStringLiteral("first page, bare view, loaded"), QStringLiteral("first-page-loaded/baseline")},
        {QStringLiteral("first page, bare view, loaded and painted"), QStringLiteral("first-page-painted/baseline")},
        {QStringLiteral("next page, textbook, loaded"), QStringLiteral("next-page-loaded/textbook")},
        {QStringLiteral("next page, bare view, loaded"), QStringLiteral("next-page-loaded/baseline")},
        {QStringLiteral("next page, bare view, loaded and painted"), QStringLiteral("next-page-painted/baseline")},
        {QStringLiteral("next page, bare view chosen from a one-item menu with the same keys, loaded"),
         QStringLiteral("next-page-menu-loaded/baseline")},
        {QStringLiteral("next page, bare view chosen from a one-item menu with the same keys, loaded and painted"),
         QStringLiteral("next-page-menu-painted/baseline")},
        {QStringLiteral("scale, textbook: click on \"Rus\" → main window's first frame"),
         QStringLiteral("scale-language/textbook")},
        {QStringLiteral("scale, textbook: register opened, Ctrl+End, its last row painted"),
         QStringLiteral("scale-register/textbook")},
    };
    out << "\nParts and companions, median (min – max):\n\n";
    for (const Part& part : parts)
        if (figures.contains(part.key) && !shown.contains(part.key.section(u'/', 0, 0)))
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
