// A second copy of the program's database side, for the reliability tests: it records chapters,
// holds a write lock, or changes and deletes register rows, as another program on the same course would.
//
//   reliability_helper record DB USER PREFIX   stores PREFIX-0, PREFIX-1 ... as USER's chapter until
//                                              killed, printing "storing PREFIX-n" before each store
//                                              and "PREFIX-n" once it returned
//   reliability_helper lock DB                 holds BEGIN IMMEDIATE, prints "locked", releases at end of input
//   reliability_helper change DB USER CHAPTER  stores CHAPTER as USER's chapter
//   reliability_helper delete DB USER          deletes USER's row
// Exit code 0 when done, 1 on a failure (its message on standard error).
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

#include "data/cursor/Connection.h"
#include "data/cursor/DataSet.h"
#include "platform/failure/Failure.h"

namespace {

void openUsers(Connection& connection, DataSet& users, const QString& path) {
    connection.setConnectionString(path);
    users.setTableName(QStringLiteral("user1"));
    users.open();
}

void findUser(DataSet& users, const QString& user) {
    if (!users.locate(QStringLiteral("user"), user)) throw platform::Failure(QStringLiteral("no user ") + user);
}

int run(const QStringList& args) {
    const QString mode = args.value(1);
    const QString path = args.value(2);
    Connection connection;
    DataSet users(&connection);
    if (mode == u"record" && args.size() == 5) {
        openUsers(connection, users, path);
        findUser(users, args[3]);
        for (long i = 0;; ++i) {
            const QString chapter = args[4] + u'-' + QString::number(i);
            std::printf("storing %s\n", chapter.toUtf8().constData());
            std::fflush(stdout);
            users.edit();
            users.setFieldText(QStringLiteral("glava"), chapter);
            users.post();
            std::printf("%s\n", chapter.toUtf8().constData());
            std::fflush(stdout);
        }
    }
    if (mode == u"lock" && args.size() == 3) {
        connection.setConnectionString(path);
        connection.open();
        QSqlQuery query(connection.database());
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) throw platform::Failure(databaseMessage(query.lastError()));
        std::printf("locked\n");
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {
        }
        if (!query.exec(QStringLiteral("ROLLBACK"))) throw platform::Failure(databaseMessage(query.lastError()));
        return 0;
    }
    if (mode == u"change" && args.size() == 5) {
        openUsers(connection, users, path);
        findUser(users, args[3]);
        users.edit();
        users.setFieldText(QStringLiteral("glava"), args[4]);
        users.post();
        return 0;
    }
    if (mode == u"delete" && args.size() == 4) {
        openUsers(connection, users, path);
        findUser(users, args[3]);
        users.remove();
        return 0;
    }
    std::fprintf(stderr, "usage: reliability_helper record|lock|change|delete DB [USER] [TEXT]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments());
    } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
