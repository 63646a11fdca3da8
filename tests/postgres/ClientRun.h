#pragma once

// Runs register_client processes side by side on one server database and reads their logs back:
// shared by the load tests and the benchmark of a lab's load.

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace clientrun {

// One line of a client's log.
struct Store {
    bool ok = false;
    QString field;
    QString value;
    QString replaced;  // the field's value as the client had read it
    qint64 ns = 0;
    QString message;  // of a failed store
};

struct Client {
    QString user;  // the register row it works on, by its name at the start
    QString tag;   // what its values start with
    QString log;
    // After the run:
    bool ready = false;
    bool finished = false;  // within the deadline
    bool crashed = false;
    int exitCode = -1;
    QString output;  // standard output and error
    QList<Store> stores;
};

struct Options {
    QString program;  // register_client
    QString address;
    int seconds = 30;
    int renameEvery = 0;
    int pauseMs = 0;
    bool rereadOnConflict = false;
    // How long the clients may take to be ready, and beyond `seconds` to finish.
    int startDeadlineMs = 120000;
    int finishDeadlineMs = 120000;
};

inline QList<Store> ReadLog(const QString& path) {
    QList<Store> stores;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return stores;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        Store store;
        store.ok = f.value(0) == u"ok";
        store.field = f.value(1);
        store.value = f.value(2);
        store.replaced = f.value(3);
        store.ns = f.value(4).toLongLong();
        store.message = f.mid(5).join(u'\t');
        // A line the client did not finish (it died while writing) is not a store it saw return.
        if (f.size() < 5 || (!store.ok && f.value(0) != u"fail")) continue;
        stores << store;
    }
    return stores;
}

// Starts every client, lets them go together once all are ready, and waits for them; `loadNs`
// gets the time from the go to the last one's end. Clients not finished by the deadline are killed
// (finished stays false).
inline void Run(const Options& options, QList<Client>& clients, qint64* loadNs = nullptr) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (Client& client : clients) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{options.address, client.user, client.tag, QString::number(options.seconds), client.log};
        if (options.renameEvery > 0) args << QStringLiteral("--rename-every") << QString::number(options.renameEvery);
        if (options.pauseMs > 0) args << QStringLiteral("--pause-ms") << QString::number(options.pauseMs);
        if (options.rereadOnConflict) args << QStringLiteral("--reread-on-conflict");
        process->start(options.program, args);
        processes.push_back(std::move(process));
    }
    const QDeadlineTimer startDeadline(options.startDeadlineMs);
    bool allReady = true;
    for (size_t i = 0; i < processes.size(); ++i) {
        QProcess& p = *processes[i];
        QByteArray seen;
        while (!seen.contains("ready\n") && p.state() != QProcess::NotRunning && !startDeadline.hasExpired()) {
            p.waitForReadyRead(int(std::max<qint64>(1, startDeadline.remainingTime())));
            seen += p.readAll();
        }
        clients[i].output += QString::fromUtf8(seen);
        clients[i].ready = seen.contains("ready\n");
        allReady = allReady && clients[i].ready;
    }
    QElapsedTimer load;
    load.start();
    // Every client goes at once; when one could not start, none does (end of input calls it off).
    // QProcess writes only while one waits on that process: each go is pushed out before the next.
    for (auto& p : processes) {
        if (allReady) {
            p->write("go\n");
            p->waitForBytesWritten(10000);
        }
        p->closeWriteChannel();
    }
    const QDeadlineTimer finishDeadline(allReady ? qint64(options.seconds) * 1000 + options.finishDeadlineMs
                                                 : options.finishDeadlineMs);
    for (size_t i = 0; i < processes.size(); ++i) {
        QProcess& p = *processes[i];
        clients[i].finished = p.waitForFinished(int(std::max<qint64>(1, finishDeadline.remainingTime()))) ||
                              p.state() == QProcess::NotRunning;
    }
    if (loadNs) *loadNs = load.nsecsElapsed();
    for (size_t i = 0; i < processes.size(); ++i) {
        QProcess& p = *processes[i];
        if (!clients[i].finished) {
            p.kill();
            p.waitForFinished(10000);
        }
        clients[i].crashed = p.exitStatus() == QProcess::CrashExit;
        clients[i].exitCode = p.exitCode();
        clients[i].output += QString::fromUtf8(p.readAll());
        clients[i].stores = ReadLog(clients[i].log);
    }
}

// The value below which the given share of the sorted values lies (nearest rank).
inline qint64 Percentile(const QList<qint64>& sorted, double share) {
    if (sorted.isEmpty()) return 0;
    const qsizetype rank = qsizetype(std::ceil(share * double(sorted.size())));
    return sorted[std::clamp<qsizetype>(rank - 1, 0, sorted.size() - 1)];
}

}  // namespace clientrun
