#include "Unit2.h"

namespace {
const MainWindowLanguage kRussian{Language::Russian, 1};
}

TForm2::TForm2() : TMainForm(kRussian) {
    ui.setupUi(this);
    bindControls(
        {ui.Image1, ui.Image2, ui.StatusBar1, ui.SpeedButton2, ui.SpeedButton1, ui.test5, ui.GroupBox1, ui.TreeView1});
}
