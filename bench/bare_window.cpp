// The bare baseline of start-up: a window of the language window's size with the textbook's Qt
// modules linked, doing nothing but showing itself. It marks its first frame in the trace file the
// textbook uses (TEXTBOOK_TRACE) as "window-painted".
#include <QApplication>

#include "BareWindow.h"

int main(int argc, char* argv[]) {
    prepareLikeTheTextbook();
    QApplication application(argc, argv);
    BareWindow window(QStringLiteral("bare window"));
    window.show();
    return application.exec();
}
