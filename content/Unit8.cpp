#include "Unit8.h"

namespace {
const MainWindowLanguage kKazakh{Language::Kazakh, "SpeedButton3", 2};
}

TForm8::TForm8() : TMainForm(kKazakh) {
    ui.setupUi(this);
    bindControls();
}
