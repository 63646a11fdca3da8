#pragma once

#include "content/rules/ContentRules.h"
#include "controls/Form.h"

class Image;
class QGroupBox;
class QToolButton;
class StatusBar;
class TreeView;
class TViewer;
class TMainForm;

// The main window of a language: Form2 or Form8.
TMainForm* MainWindow(Language language);

// What distinguishes the two main windows besides their descriptions.
struct MainWindowLanguage {
    Language language;
    const char* closeButton;  // "SpeedButton2" in the Russian window, "SpeedButton3" in the Kazakh one
    int registerTag;          // the register window's tag when opened from here
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

    Image* Image1 = nullptr;
    Image* Image2 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QToolButton* CloseButton = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // the register button
    QToolButton* test5 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    TreeView* TreeView1 = nullptr;

    void FormCreate() override;
    void TreeView1DblClick();
    void SpeedButton1Click();  // the register button
    void SpeedButton2Click();  // "X"
    void test5Click();
    void StatusBar1MouseMove();
    void Image1MouseDown();

    // The content viewer of this window's language.
    TViewer* Viewer() const;

protected:
    // Finds the described controls, fills the chapter tree and wires the handlers; called once the
    // description is set up.
    void bindControls();
    void FormClose() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool painted_ = false;
    void fillChapterTree();
};
