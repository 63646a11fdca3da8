#pragma once

#include "ContentRules.h"
#include "Form.h"

class Image;
class QToolButton;
class StatusBar;

// What distinguishes the two main windows besides their descriptions.
struct MainWindowLanguage {
    Language language;
    const char* closeButton;  // "SpeedButton2" in the Russian window, "SpeedButton3" in the Kazakh one
    QString videoRoot;        // label of the chapter tree's video root
};

// A main window: the hub of one language, with the status bar of the current user, the chapter
// tree, the title page and the register, testing and close buttons. TForm2 and TForm8 differ in
// their window descriptions and their MainWindowLanguage only.
class TMainForm : public TForm {
    Q_OBJECT

public:
    explicit TMainForm(const MainWindowLanguage& language);

    const MainWindowLanguage& Variant;
    QString ContentRoot;

    StatusBar* StatusBar1 = nullptr;
    QToolButton* CloseButton = nullptr;

    void FormCreate() override;
    void SpeedButton2Click();  // "X"
    void StatusBar1MouseMove();

protected:
    // Finds the described controls and wires their handlers; called once the description is set up.
    void bindControls();
    void FormClose() override;
};
