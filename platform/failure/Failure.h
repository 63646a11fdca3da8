#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace platform {

// A failing step of a handler. It carries the message the user reads in the error box.
class Failure : public std::exception {
public:
    explicit Failure(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

}  // namespace platform
