#pragma once

#include <QWidget>

// What every window of the textbook shares: its tag, its creation/show/hide/close/resize hooks
// run guarded (an error in them reaches the error box and the window still changes state), and
// its placement at the first showing.
class TForm : public QWidget {
    Q_OBJECT

public:
    enum class Placement {
        None,              // placed by its own code
        CentreOnScreen,    // the language window
        CentreOverAnchor,  // every other window that centres itself: over the anchor window
    };

    explicit TForm(QWidget* parent = nullptr);

    int Tag = 0;

    // The creation handler, run once by the window set right after the window is built.
    virtual void FormCreate() {}
    // Whether the window has been placed by its first showing.
    bool placed() const { return placed_; }

    // The window that windows placed CentreOverAnchor centre over at their first showing (the
    // window set names the language window); none leaves them where they are.
    static void setAnchor(const QWidget* anchor);

protected:
    void setPlacement(Placement placement) { placement_ = placement; }

    virtual void FormShow() {}
    virtual void FormHide() {}
    virtual void FormClose() {}
    virtual void FormResize() {}
    // Sets the window's own texts that follow the program's language (tooltips, names for screen
    // readers); the window calls it once built, and it runs again whenever the language changes.
    virtual void TranslateTexts() {}

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void placeAtFirstShow();

    Placement placement_ = Placement::None;
    bool placed_ = false;
};

// The centring rule: the window's rectangle centred over the given one (integer halves truncate
// toward zero), then raised to the desktop's left and top edges.
QPoint centredOver(const QRect& over, const QSize& window, const QPoint& desktopTopLeft);

// The integer tag of a menu item or control (a dynamic property "tag" in the window descriptions).
int tagOf(const QObject* object);
