// One machine of a lab on the shared course database: it records chapters (and now and then a new
// name) into one register row through the program's own Connection and DataSet, the way
// TDataModule5::RecordChapter does (edit, set the field, post), and logs every store.
//
//   register_client ADDRESS USER TAG SECONDS LOG [--rename-every N] [--pause-ms MS] [--reread-on-conflict]
//
// It opens the register, finds USER's row, prints "ready" and waits for a line on standard input
// before it starts, so that every client of a run starts its stores together. Then, for SECONDS
// seconds, it stores TAG:g:<i> as the chapter (every Nth store TAG:u:<i> as the name instead) and
// pauses a random 0..2*MS milliseconds between stores. Each store is one line of LOG, written when
// post() returned or threw:
//
//   ok    FIELD VALUE REPLACED NANOSECONDS
//   fail  FIELD VALUE REPLACED NANOSECONDS MESSAGE
//
// separated by tabs, REPLACED being the field's value as the client read it before the store.
// A store refused because another client changed the row is, with --reread-on-conflict, dropped
// and the register read afresh, as a user would reopen it; any other failure ends the client.
// Exit code 0 when the time is up, 1 on a failure, 2 on bad arguments.
#include <time.h>

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>
#include <iostream>
#include <string>

#include "Connection.h"
#include "DataSet.h"
#include "Failure.h"

namespace {

qint64 now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool isConflict(const QString& message) {
    return message.contains(QStringLiteral("changed or deleted by another user"));
}

class Log {
public:
    explicit Log(const QString& path) : file_(std::fopen(QFile::encodeName(path).constData(), "w")) {}
    ~Log() {
        if (file_) std::fclose(file_);
    }
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    bool ok() const { return file_ != nullptr; }
    // One line, out of the process at once: a client that dies leaves every line it wrote.
    void line(const QStringList& fields) {
        const QByteArray text = fields.join(u'\t').toUtf8() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), file_);
        std::fflush(file_);
    }

private:
    std::FILE* file_;
};

void findUser(DataSet& users, const QString& user) {
    if (!users.locate(QStringLiteral("user"), user))
        throw platform::Failure(QStringLiteral("the register has no user %1").arg(user));
}

int run(const QStringList& args) {
    if (args.size() < 6) return 2;
    const QString address = args[1];
    const QString user = args[2];
    const QString tag = args[3];
    const int seconds = args[4].toInt();
    int renameEvery = 0;
    int pauseMs = 0;
    bool reread = false;
    for (int i = 6; i < args.size(); ++i) {
        if (args[i] == u"--rename-every" && i + 1 < args.size())
            renameEvery = args[++i].toInt();
        else if (args[i] == u"--pause-ms" && i + 1 < args.size())
            pauseMs = args[++i].toInt();
        else if (args[i] == u"--reread-on-conflict")
            reread = true;
        else
            return 2;
    }
    Log log(args[5]);
    if (!log.ok()) throw platform::Failure(QStringLiteral("cannot write %1").arg(args[5]));

    Connection connection;
    connection.setConnectionString(address);
    DataSet users(&connection);
    users.setTableName(QStringLiteral("user1"));
    users.open();
    findUser(users, user);

    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    if (!std::getline(std::cin, go)) return 0;  // the run was called off

    QRandomGenerator random(qHash(tag));
    const qint64 end = now() + qint64(seconds) * 1000000000;
    long stores = 0;
    for (long i = 0; now() < end; ++i) {
        const bool rename = renameEvery > 0 && i % renameEvery == renameEvery - 1;
        const QString field = rename ? QStringLiteral("user") : QStringLiteral("glava");
        const QString value = QStringLiteral("%1:%2:%3").arg(tag, rename ? u"u" : u"g").arg(i);
        const QString replaced = users.fieldText(field);
        const qint64 start = now();
        try {
            users.edit();
            users.setFieldText(field, value);
            users.post();
            const qint64 took = now() - start;
            log.line({QStringLiteral("ok"), field, value, replaced, QString::number(took)});
            ++stores;
        } catch (const platform::Failure& failure) {
            const qint64 took = now() - start;
            log.line({QStringLiteral("fail"), field, value, replaced, QString::number(took), failure.message()});
            if (!reread || !isConflict(failure.message())) throw;
            users.cancel();
            users.close();
            users.open();
            findUser(users, user);
        }
        if (pauseMs > 0) QThread::usleep(random.bounded(2 * pauseMs * 1000 + 1));
    }
    std::printf("done %ld\n", stores);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const int code = run(app.arguments());
        if (code == 2)
            std::fprintf(stderr,
                         "usage: register_client ADDRESS USER TAG SECONDS LOG [--rename-every N] [--pause-ms MS] "
                         "[--reread-on-conflict]\n");
        return code;
    } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.message()));
        return 1;
    }
}
