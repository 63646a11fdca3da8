#include "Viewer.h"

#include "Desktop.h"

TViewer::TViewer(Language language) : Variant(language) { setWindowFlags(Qt::Window); }

void TViewer::FormCreate() { ContentRoot = platform::desktop().currentDirectory(); }
