#include "Unit2.h"

namespace {
const MainWindowLanguage kRussian{Language::Russian, "SpeedButton2", 1};
}

TForm2::TForm2() : TMainForm(kRussian) {
    ui.setupUi(this);
    bindControls();
}
