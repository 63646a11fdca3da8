#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

#include "Fixture.h"
#include "tools/coursedb/CourseFile.h"
#include "tools/coursedb/ServerPush.h"

namespace fixture {

// A PostgreSQL server of a test's own (tests/postgres/server.sh), which the test may stop and start
// again; stopped, its data removed, when this ends. The test run's server is never stopped.
class OwnServer {
public:
    OwnServer() = default;
    ~OwnServer() { stop(); }
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    bool start() {
        if (!state_.isValid() || !script(QStringLiteral("start"))) return false;
        QFile uri(state_.filePath(QStringLiteral("uri")));
        if (!uri.open(QIODevice::ReadOnly)) return false;
        uri_ = QString::fromUtf8(uri.readAll()).trimmed();
        started_ = true;
        return !uri_.isEmpty();
    }
    bool pause() { return script(QStringLiteral("pause")); }
    bool resume() { return script(QStringLiteral("resume")); }
    bool stop() {
        if (!started_) return true;
        started_ = false;
        return script(QStringLiteral("stop"));
    }
    bool started() const { return started_; }
    QString uri() const { return uri_; }
    QString state() const { return state_.path(); }
    QString lastOutput() const { return output_; }
    static QString scriptPath() { return QStringLiteral(TEXTBOOK_SOURCE_DIR "/tests/postgres/server.sh"); }

private:
    bool script(const QString& command) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(scriptPath(), {command, state_.path()});
        const bool done = process.waitForFinished(180000);
        output_ = QString::fromUtf8(process.readAll());
        return done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir state_;
    QString uri_;
    QString output_;
    bool started_ = false;
};

// A course database of its own on a server, pushed from a file as a course team does: both banks
// of `bankRows` questions and the standard register. Its address.
inline QString MakeServerCourse(const QString& serverUri, const QString& workDir, int bankRows = 5) {
    const QString name = QStringLiteral("course_") + QUuid::createUuid().toString(QUuid::Id128);
    QueryRows(serverUri, QStringLiteral("CREATE DATABASE %1").arg(name));
    QUrl url(serverUri);
    url.setPath(u'/' + name);
    const QString source = workDir + QStringLiteral("/source.db");
    coursedb::WriteDatabase(source,
                            {QuestionBank(QStringLiteral("test"), bankRows),
                             QuestionBank(QStringLiteral("test_kz"), bankRows), StandardUsers()},
                            true);
    coursedb::PushDatabase(source, url.toString(), false);
    return url.toString();
}

// TEXTBOOK_DATABASE naming a database while this lives.
struct DatabaseVariable {
    explicit DatabaseVariable(const QString& address) { qputenv("TEXTBOOK_DATABASE", address.toUtf8()); }
    ~DatabaseVariable() { qunsetenv("TEXTBOOK_DATABASE"); }
    DatabaseVariable(const DatabaseVariable&) = delete;
    DatabaseVariable& operator=(const DatabaseVariable&) = delete;
};

}  // namespace fixture
