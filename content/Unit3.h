#pragma once

#include "Viewer.h"

// The Russian content viewer.
class TForm3 : public TViewer {
    Q_OBJECT

public:
    TForm3();
};
