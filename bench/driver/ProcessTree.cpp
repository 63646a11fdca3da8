#include "ProcessTree.h"

#include <dirent.h>
#include <signal.h>

#include <QFile>
#include <QMultiHash>
#include <cerrno>
#include <cstdlib>

namespace {

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

}  // namespace

QList<pid_t> processTree(pid_t root) {
    const QMultiHash<pid_t, pid_t> children = processChildren();
    QList<pid_t> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i) tree += children.values(tree[i]);
    return tree;
}

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
