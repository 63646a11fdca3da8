#include "Unit6.h"

TForm6::TForm6() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Ввод пользователя"));
    resize(391, 212);
    setPlacement(Placement::CentreOverForm1);
}
