#include <unistd.h>

#include <QApplication>

#include "BrowserWarmUp.h"
#include "Desktop.h"
#include "Unit1.h"
#include "WindowSet.h"

int main(int argc, char* argv[]) {
    // The browser engine refuses to start as root unless its sandbox is off.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    application.setApplicationName(platform::applicationTitle());
    // Hiding every window does not end the program: only closing the language window does.
    application.setQuitOnLastWindowClosed(false);

    EnableBrowserWarmUp();
    CreateWindowSet();
    Form1->show();
    application.exec();
    DestroyWindowSet();
    return 0;
}
