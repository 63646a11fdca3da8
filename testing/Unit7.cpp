#include "Unit7.h"

TForm7::TForm7() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Итоги теста"));
    resize(377, 368);
    setPlacement(Placement::CentreOverForm1);
}
