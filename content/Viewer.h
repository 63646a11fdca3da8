#pragma once

#include "content/rules/ContentRules.h"
#include "controls/Form.h"

class QAction;
class QMenuBar;
class QWebEngineView;
class CoursePage;
class PageFind;
class PageZoom;
class ReadingPlace;
class FrameHold;

// A content viewer: a framed window filling the desktop's work area, with the browser pane and the
// week menu of one language. TForm3 and TForm9 differ in their language only.
class TViewer : public TForm {
    Q_OBJECT

public:
    explicit TViewer(Language language);

    const Language Variant;
    QString ContentRoot;
    // The address last handed to the browser pane.
    QString LastAddress;

    QMenuBar* MainMenu1 = nullptr;
    QWebEngineView* WebBrowser1 = nullptr;
    QAction* N4 = nullptr;  // the test item
    QAction* N5 = nullptr;  // the exit item

    void FormCreate() override;
    // Hands an address to the browser pane; the page loads while the viewer is hidden too. A
    // missing page shows the browser's own error page; a missing content root is a Failure.
    void ShowPage(const QString& address);
    // Throws a Failure naming the content root when it is no longer there.
    void RequireContentRoot() const;
    // Every week-menu item with an action but the test and the exit.
    void svChange(QAction* item);
    void N4Click();
    void N5Click();

    // Starts the browser engine with an empty page, so that the first real page opens at once.
    void WarmUp();

    // Opens the find bar over the page with the given text and finds it in the page, as Ctrl+F and
    // typing the text would; on a page still loading, once it has loaded.
    void FindInPage(const QString& text);

protected:
    void FormShow() override;
    void FormResize() override;
    void FormClose() override;
    // What a screen reader says of the week menu and the page, in the viewer's language.
    void nameControls(const QString& menu, const QString& menuDescription, const QString& page);
    void FormHide() override;

private:
    void buildMenu();
    // Gives the pane its course page, once.
    void preparePane();

    CoursePage* page_ = nullptr;
    // Reading aids beyond the menu: keys and a bar over the page.
    PageZoom* zoom_ = nullptr;
    PageFind* find_ = nullptr;
    ReadingPlace* place_ = nullptr;
    FrameHold* hold_ = nullptr;
};

// Opens a video with the desktop's program for it (the desktop reports a video that is not there).
void PlayVideo(const QString& contentRoot, int video);
