#include "Unit2.h"

namespace {
const MainWindowLanguage kRussian{Language::Russian, "SpeedButton2", QStringLiteral("Видео")};
}

TForm2::TForm2() : TMainForm(kRussian) {
    ui.setupUi(this);
    bindControls();
}
