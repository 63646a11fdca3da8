#include "Unit4.h"

TForm4::TForm4() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Тестирование"));
    resize(636, 533);
    setPlacement(Placement::CentreOverForm1);
}

void TForm4::BindDataSources() {}

void StartTest(Language) {}
