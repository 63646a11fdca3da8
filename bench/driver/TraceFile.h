#pragma once

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>

#include "Driver.h"

// A program's trace file (TEXTBOOK_TRACE): one "<event> <monotonic ns>[ <detail>]" line a moment.

struct Event {
    QByteArray name;
    qint64 at = 0;
    QString detail;
};

// A trace file watched with inotify, so that waiting for a line costs the machine nothing.
class TraceFile {
public:
    explicit TraceFile(const QString& path) : path_(path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail(QStringLiteral("cannot write %1").arg(path));
        file.close();
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0 || inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_MODIFY) < 0)
            fail(QStringLiteral("cannot watch %1").arg(path));
    }
    ~TraceFile() { close(fd_); }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

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
