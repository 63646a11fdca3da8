#include "Unit8.h"

namespace {
const MainWindowLanguage kKazakh{Language::Kazakh, 2};
}

TForm8::TForm8() : TMainForm(kKazakh) {
    ui.setupUi(this);
    bindControls(
        {ui.Image1, ui.Image2, ui.StatusBar1, ui.SpeedButton3, ui.SpeedButton1, ui.test5, ui.GroupBox1, ui.TreeView1});
}
