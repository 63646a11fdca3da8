#include "Desktop.h"

#include <QCoreApplication>

#include "QtDesktop.h"

namespace platform {

namespace {
Desktop* installed = nullptr;
}

QString applicationTitle() { return QStringLiteral("Электронный учебник"); }

Desktop& desktop() {
    if (installed) return *installed;
    static QtDesktop real;
    return real;
}

Desktop* setDesktop(Desktop* replacement) {
    Desktop* previous = installed;
    installed = replacement;
    return previous;
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.')) return message + u'.';
    return message;
}

void showErrorBox(const QString& message) { desktop().showError(applicationTitle(), errorBoxText(message)); }

QString noDefaultPrinterMessage() { return QCoreApplication::translate("Desktop", "No default printer is set up"); }

}  // namespace platform
