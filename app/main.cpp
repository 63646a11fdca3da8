#include <unistd.h>

#include <QApplication>
#include <cstdio>

#include "BrowserWarmUp.h"
#include "Unit1.h"
#include "WindowSet.h"
#include "data/Unit5.h"
#include "platform/Desktop.h"

int main(int argc, char* argv[]) {
    // Before anything can start another program: the address may hold a password.
    TakeCourseDatabaseVariable();
    // The browser engine refuses to start as root unless its sandbox is off; whoever runs it so
    // (a test machine, say) is told that course pages then run without it.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("textbook: running as root, the browser's sandbox is off\n", stderr);
    }
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
    // The browser profile goes with the application; no page of it may outlive it.
    ReleaseBrowserWarmUp();
    return 0;
}
