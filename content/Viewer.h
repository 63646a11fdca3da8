#pragma once

#include "ContentRules.h"
#include "Form.h"

// A content viewer: a framed window filling the desktop's work area, with the browser pane and the
// week menu of one language.
class TViewer : public TForm {
    Q_OBJECT

public:
    explicit TViewer(Language language);

    const Language Variant;
    QString ContentRoot;

    void FormCreate() override;
};
