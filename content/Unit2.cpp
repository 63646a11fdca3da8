#include "Unit2.h"

namespace {
const MainWindowLanguage kRussian{
    Language::Russian,
    1,
    {
        QStringLiteral("Главы курса"),
        QStringLiteral("Enter открывает выбранную главу, стрелки вправо и влево раскрывают и сворачивают неделю"),
        QStringLiteral("Тестирование"),
        QStringLiteral("Начать тест из 20 вопросов"),
        QStringLiteral("Регистрация пользователя"),
        QStringLiteral("Выбрать своё имя в списке пользователей или добавить его"),
        QStringLiteral("Закрыть"),
        QStringLiteral("Закрыть учебник"),
        QStringLiteral("Титульная страница"),
    },
};
}  // namespace

TForm2::TForm2() : TMainForm(kRussian) {
    ui.setupUi(this);
    bindControls({ui.Image1, ui.Image2, ui.StatusBar1, ui.SpeedButton2, ui.SpeedButton1, ui.test5, ui.GroupBox1,
                  ui.TreeView1, ui.Memo1});
}
