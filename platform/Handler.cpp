#include "Handler.h"

#include <QCoreApplication>
#include <QString>

#include "Desktop.h"
#include "platform/failure/Failure.h"

namespace platform {

void runGuarded(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const Failure& failure) {
        showErrorBox(failure.message());
    } catch (const std::exception& error) {
        showErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        showErrorBox(QCoreApplication::translate("Handler", "Internal error of the program"));
    }
}

}  // namespace platform
