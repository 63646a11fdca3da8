#include "Unit3.h"

TForm3::TForm3() : TViewer(Language::Russian) { setWindowTitle(QStringLiteral("3")); }
