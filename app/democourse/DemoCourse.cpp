#include "DemoCourse.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "platform/failure/Failure.h"

namespace {

// The one file of the course that is the user's: copied once, never replaced.
const QLatin1String kDatabase("Base/test.db");

QString tr(const char* text) { return QCoreApplication::translate("DemoCourse", text); }

// What the user reads when a file of the copy cannot be made (a full disk, a folder not theirs).
[[noreturn]] void failCopy(const QString& relative, const QString& copy, const QString& why) {
    throw platform::Failure(
        tr("Не удалось скопировать «%1» в вашу копию демонстрационного курса «%2»: %3").arg(relative, copy, why));
}

// A file of the copy is the installed one as last copied when it has its size and time; the time
// is compared to the second, which every file system keeps.
bool upToDate(const QFileInfo& source, const QFileInfo& target) {
    return target.isFile() && target.size() == source.size() &&
           target.lastModified().toSecsSinceEpoch() == source.lastModified().toSecsSinceEpoch();
}

// Copies the rest of `in` into `out`; false when a write fails.
bool copyContents(QFile& in, QFileDevice& out) {
    QByteArray block;
    while (!(block = in.read(1 << 16)).isEmpty())
        if (out.write(block) != block.size()) return false;
    return in.error() == QFileDevice::NoError;
}

// A page, the stylesheet or a video: written beside its place and renamed over it when complete,
// with the installed file's time, by which the next start knows it is up to date.
void copyReplacing(QFile& in, const QString& target, const QDateTime& modified, const QString& relative,
                   const QString& copy) {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || !copyContents(in, out) || !out.flush() ||
        !out.setFileTime(modified, QFileDevice::FileModificationTime) || !out.commit())
        failCopy(relative, copy, out.errorString());
}

// The course database: written into a temporary file beside its place, on the disk before it gets
// its name, and renamed only where no database is: one that another start put there meanwhile,
// and perhaps already stored into, stays.
void copyOnce(QFile& in, const QString& target, const QString& relative, const QString& copy) {
    QTemporaryFile out(QFileInfo(target).absolutePath() + QStringLiteral("/.test.db-XXXXXX"));
    if (!out.open() || !copyContents(in, out) || !out.flush() || ::fsync(out.handle()) != 0)
        failCopy(relative, copy, out.errorString());
    if (out.rename(target)) {
        out.setAutoRemove(false);
        return;
    }
    if (!QFileInfo::exists(target)) failCopy(relative, copy, out.errorString());
}

}  // namespace

QString InstalledDemoCourse(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/" TEXTBOOK_COURSE_FROM_BINDIR));
}

QString UserDemoCourse() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        throw platform::Failure(
            tr("Не удалось найти папку ваших данных для копии демонстрационного курса: "
               "не задана ни HOME, ни XDG_DATA_HOME"));
    return data + QStringLiteral("/textbook/course");
}

void PrepareDemoCourse(const QString& installed, const QString& copy) {
    if (!QFileInfo(installed).isDir())
        throw platform::Failure(
            tr("Демонстрационный курс не установлен: нет папки «%1». Установите пакет textbook заново").arg(installed));
    const QDir root(installed);
    QDirIterator it(installed, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = root.relativeFilePath(source);
        const QString target = copy + u'/' + relative;
        const QFileInfo targetInfo(target);
        const bool database = relative == kDatabase;
        if (database ? targetInfo.exists() : upToDate(it.fileInfo(), targetInfo)) continue;

        if (!QDir().mkpath(targetInfo.absolutePath()))
            failCopy(relative, copy, tr("не удалось создать папку «%1»").arg(targetInfo.absolutePath()));
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly)) failCopy(relative, copy, in.errorString());
        if (database)
            copyOnce(in, target, relative, copy);
        else
            copyReplacing(in, target, it.fileInfo().lastModified(), relative, copy);
    }
}

void EnterDemoCourse(const QString& programDir) {
    const QString copy = UserDemoCourse();
    PrepareDemoCourse(InstalledDemoCourse(programDir), copy);
    if (!QDir::setCurrent(copy)) throw platform::Failure(tr("Не удалось перейти в папку курса «%1»").arg(copy));
}
