#pragma once

#include <QObject>

class QWebEnginePage;

// Keeps where the student is in the page a viewer shows and, when they come back to that page, in
// this run or a later one, scrolls it back there: per register user and page (ReaderSettings). A
// page opened at a section (an address with "#a2") shows that section instead.
class ReadingPlace : public QObject {
    Q_OBJECT

public:
    explicit ReadingPlace(QObject* parent);
    // Keeps the place in the page shown and writes everything kept, waiting for it.
    ~ReadingPlace() override;

    // Follows the page of the pane once it is made.
    void attach(QWebEnginePage* page);
    // A page finished loading: it is the one being read now; unless `restore` is false or it was
    // opened at a section, it is scrolled to where this user left it.
    void pageLoaded(bool ok, bool restore);
    // The viewer is hidden: the place is kept and written in the background.
    void leave();

private:
    void keepPlace() const;
    // The share of the page above the top of the pane.
    double shownShare() const;

    QWebEnginePage* page_ = nullptr;
    QString user_;  // who reads the page
    QString file_;  // the page being read; empty while a page loads, or for a page that failed
    double at_ = 0;
};

// The register user reading now: the current user record's name; empty when there is none.
QString RegisterUser();
