#pragma once

#include <QWidget>

#include "content/rules/ContentRules.h"

class CourseSearch;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TViewer;
struct SearchHit;

// The course search of one language: a window of its own, beside the textbook's windows, where the
// pages holding the words typed show as they are typed, best first, each with its chapter label
// and a line of its text. Enter or a double-click opens the page in the language's viewer as its
// week menu opens a page, and finds the word there.
class TSearchWindow : public QWidget {
    Q_OBJECT

public:
    explicit TSearchWindow(Language language);
    ~TSearchWindow() override;

    const Language Variant;
    QLineEdit* Words = nullptr;
    QTreeWidget* Hits = nullptr;
    QLabel* Status = nullptr;

    // The most pages one answer lists.
    static constexpr int kMostHits = 100;

    // Reads again, in the search's thread, the pages changed on disk since they were last read (the
    // first time: all of them).
    void CheckPages();
    // Asks for the pages holding the words in the box; they come as they are found.
    void Ask();
    // Opens the page of a listed hit: the chapter is recorded (a failed store stops it there), the
    // page goes to the viewer and the main window's status bar shows the chapter; then the viewer
    // takes the main window's place and the word is found in the page.
    void OpenHit(QTreeWidgetItem* hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CourseSearch& course();
    void showHits(const QString& typed, const QList<SearchHit>& hits);
    void showFailure(const QString& message);

    CourseSearch* search_ = nullptr;  // made at the first question
    bool answered_ = false;           // the index has answered once: it is built
};

// Opens the course search of a language over the window the student is in. Each language has one
// search window, made at its first use and gone with that language's viewer.
void OpenCourseSearch(Language language, QWidget* over);
// The search window of a language, once made; nullptr before.
TSearchWindow* CourseSearchWindow(Language language);
// Ctrl+Shift+F in a main window or a viewer opens the course search of its language.
void AddCourseSearchKey(QWidget* window, Language language);

// Finds a word in the page the viewer is loading, once it has loaded, so that the student lands
// on it. This is where the viewer's own find in the page takes over once it has one.
void FindWhenLoaded(TViewer* viewer, const QString& word);
