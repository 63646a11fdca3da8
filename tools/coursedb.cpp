#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "CourseDb.h"
#include "Failure.h"

namespace {

int usage() {
    std::fputs(
        "usage: coursedb build SOURCE_DIR DATABASE\n"
        "  Builds a course database from SOURCE_DIR/test.csv, test_kz.csv and user1.csv.\n"
        "  An existing DATABASE is left as it is, so registered users survive a rebuild.\n",
        stderr);
    return 2;
}

int build(const QString& sourceDir, const QString& database) {
    if (QFileInfo::exists(database)) return 0;
    QList<coursedb::Table> tables;
    for (const char* name : {"test", "test_kz", "user1"})
        tables << coursedb::ReadCsvFile(QDir(sourceDir).filePath(QString::fromLatin1(name) + QStringLiteral(".csv")));
    coursedb::WriteDatabase(database, tables);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == u"build") return build(args[1], args[2]);
        return usage();
    } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "coursedb: %s\n", failure.what());
        return 1;
    }
}
