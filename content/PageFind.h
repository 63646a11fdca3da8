#pragma once

#include <QObject>
#include <QPointer>

#include "content/rules/ContentRules.h"

class QLabel;
class QLineEdit;
class QShortcut;
class QWebEngineFindTextResult;
class QWebEnginePage;
class QWebEngineView;
class QWidget;

// Find in the page a viewer shows: Ctrl+F opens a slim bar over the bottom edge of the browser
// pane, which finds as the student types; Enter or F3 goes to the next match, Shift+Enter or
// Shift+F3 to the previous one; the bar counts "n из m" (in the Kazakh viewer "m ішінен n"); Esc
// closes it and takes the marks away. The browser finds without regard to letter case, and takes
// ё for е, but keeps й and the Kazakh letters (ә, ғ, қ, ң, ө, ұ, ү, һ, і) apart from others.
// The bar is made at its first opening and lies over the page, so the pane keeps its size.
class PageFind : public QObject {
    Q_OBJECT

public:
    PageFind(QWidget* window, QWebEngineView* view, Language language);

    // Follows the page of the pane once it is made.
    void attach(QWebEnginePage* page);
    // Opens the bar (or takes the keyboard to it) with its text chosen, ready to be typed over.
    void open();
    // Opens the bar with the given text and finds it.
    void open(const QString& text);
    void next();
    void previous();
    void close();
    // A page finished loading: while the bar is open, the text is found in it. Whether it was.
    bool pageLoaded(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeBar();
    void placeBar();
    void find(bool backward);
    void showResult(const QWebEngineFindTextResult& result);
    bool isOpen() const;

    QWidget* window_;
    QWebEngineView* view_;
    Language language_;
    QWebEnginePage* page_ = nullptr;
    QPointer<QWidget> bar_;
    QLineEdit* text_ = nullptr;
    QLabel* count_ = nullptr;
    QShortcut* escape_ = nullptr;  // on only while the bar is open: Esc does nothing else in a viewer
};
