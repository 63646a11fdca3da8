#include "Unit3.h"

TForm3::TForm3() : TViewer(Language::Russian) {
    setWindowTitle(QStringLiteral("3"));
    nameControls(QStringLiteral("Меню недель"),
                 QStringLiteral("Alt открывает меню, стрелки выбирают пункт, Enter открывает его"),
                 QStringLiteral("Страница курса"));
}
