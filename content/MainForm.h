#pragma once

#include <QPointer>

#include "content/rules/ContentRules.h"
#include "controls/Form.h"

class Image;
class QGroupBox;
class QTextEdit;
class QLabel;
class QToolButton;
class StatusBar;
class TreeView;
class TViewer;
class TMainForm;

// The main window of a language: Form2 or Form8.
TMainForm* MainWindow(Language language);

// What a screen reader says of a main window's controls, in the window's own language (the Kazakh
// window's register button reads in Russian, as the course always had it; its name is Kazakh).
struct MainWindowNames {
    QString tree, treeDescription;
    QString testButton, testButtonDescription;
    QString registerButton, registerButtonDescription;
    QString closeButton, closeButtonDescription;
    QString titlePage;
};

// What distinguishes the two main windows besides their descriptions.
struct MainWindowLanguage {
    Language language;
    int registerTag;  // the register window's tag when opened from here
    MainWindowNames names;
};

// The controls of a main window's description that its code works with.
struct MainWindowControls {
    Image* Image1 = nullptr;
    Image* Image2 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QToolButton* CloseButton = nullptr;   // SpeedButton2 in the Russian window, SpeedButton3 in the Kazakh one
    QToolButton* SpeedButton1 = nullptr;  // the register button
    QToolButton* test5 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    TreeView* TreeView1 = nullptr;
    QTextEdit* TitlePage = nullptr;  // Memo1 in the Russian window, Memo2 in the Kazakh one
};

// A main window: the hub of one language, with the status bar of the current user, the chapter
// tree, the title page and the register, testing and close buttons. TForm2 and TForm8 differ in
// their window descriptions and their MainWindowLanguage only.
class TMainForm : public TForm, public MainWindowControls {
    Q_OBJECT

public:
    explicit TMainForm(const MainWindowLanguage& language);

    const MainWindowLanguage& Variant;
    QString ContentRoot;

    void FormCreate() override;
    void TreeView1DblClick();
    void SpeedButton1Click();  // the register button
    void SpeedButton2Click();  // "X"
    void test5Click();
    void StatusBar1MouseMove();
    void Image1MouseDown();
    // Ctrl+Enter, or a double-click on the status bar's chapter panel: opens the page of the
    // current user's chapter as the tree would. A chapter that names no page of this language (or
    // a section of several weeks the student has not read here) opens nothing and says so briefly
    // beside the panel.
    void ResumeReading();

    // The content viewer of this window's language.
    TViewer* Viewer() const;

protected:
    // Takes the described controls, fills the chapter tree and wires the handlers; called once the
    // description is set up.
    void bindControls(const MainWindowControls& controls);
    void FormClose() override;
    void FormHide() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool painted_ = false;
    void fillChapterTree();
    void nameControls();
    // Opens an address in the viewer as the tree does: the chapter recorded and shown, the viewer
    // in this window's place.
    void openChapter(const QString& address, const QString& chapter);
    // Says briefly, beside the chapter panel, why Ctrl+Enter opened nothing.
    void showChapterNote(const QString& text);
    QPointer<QLabel> chapterNote_;
};
