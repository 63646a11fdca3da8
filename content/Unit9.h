#pragma once

#include "Viewer.h"

// The Kazakh content viewer.
class TForm9 : public TViewer {
    Q_OBJECT

public:
    TForm9();
};
