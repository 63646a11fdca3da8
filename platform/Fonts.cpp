#include "Fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace {

// Where Debian's fonts-wine puts its faces; fontconfig does not look there.
const char* const kWineFonts = "/usr/share/wine/fonts/";

}  // namespace

void UseStandInFonts() {
    static bool done = false;
    if (done) return;
    done = true;

    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"})
        QFontDatabase::addApplicationFont(QString::fromLatin1(kWineFonts) + QString::fromLatin1(file));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("Liberation Sans"));

    QFont plain(QStringLiteral("MS Sans Serif"));
    plain.setPixelSize(11);
    QApplication::setFont(plain);
}
