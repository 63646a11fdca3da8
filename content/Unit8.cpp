#include "Unit8.h"

namespace {
const MainWindowLanguage kKazakh{
    Language::Kazakh,
    2,
    {
        QStringLiteral("Курс тараулары"),
        QStringLiteral("Enter таңдалған тарауды ашады, оңға және солға көрсеткілер аптаны ашып, жабады"),
        QStringLiteral("Тестілеу"),
        QStringLiteral("20 сұрақтан тұратын тестті бастау"),
        QStringLiteral("Пайдаланушыны тіркеу"),
        QStringLiteral("Пайдаланушылар тізімінен өз атыңызды таңдау немесе оны қосу"),
        QStringLiteral("Жабу"),
        QStringLiteral("Оқулықты жабу"),
        QStringLiteral("Титул беті"),
    },
};
}  // namespace

TForm8::TForm8() : TMainForm(kKazakh) {
    ui.setupUi(this);
    bindControls({ui.Image1, ui.Image2, ui.StatusBar1, ui.SpeedButton3, ui.SpeedButton1, ui.test5, ui.GroupBox1,
                  ui.TreeView1, ui.Memo2});
}
