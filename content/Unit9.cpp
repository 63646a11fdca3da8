#include "Unit9.h"

TForm9::TForm9() : TViewer(Language::Kazakh) { setWindowTitle(QStringLiteral("Электрондык окулык")); }
