#pragma once

#include <QProcess>
#include <QString>

namespace fixture {

// Makes a file or directory immutable while it lives (root ignores permission bits, not this flag).
// ok() tells whether it worked: chattr needs root and a file system with the flag.
class Immutable {
public:
    explicit Immutable(const QString& path) : path_(path) {
        ok_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~Immutable() { release(); }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool ok() const { return ok_; }
    void release() {
        if (ok_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        ok_ = false;
    }

private:
    QString path_;
    bool ok_ = false;
};

}  // namespace fixture
