#include "Unit9.h"

TForm9::TForm9() : TViewer(Language::Kazakh) {
    setWindowTitle(QStringLiteral("Электрондык окулык"));
    nameControls(QStringLiteral("Апталар мәзірі"),
                 QStringLiteral("Alt мәзірді ашады, көрсеткілер тармақты таңдайды, Enter оны ашады"),
                 QStringLiteral("Курс беті"));
}
