#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// Course pages are files a course team may have taken from anywhere. They are shown in a browser
// profile of the program's own, off the record, where a page loads nothing but files under the
// content root, opens no window, downloads nothing and navigates nowhere outside the course.

// The folder whose files pages may load: the content root. Until it is set, nothing loads.
void SetCourseRoot(const QString& contentRoot);
// The profile of every course page, made at the first call (which starts the browser engine).
QWebEngineProfile* CourseProfile();

// A page of the course profile. It stays on course files; a link the student clicks to a web
// address opens in the desktop's browser; any other address is refused without a word.
class CoursePage final : public QWebEnginePage {
    Q_OBJECT

public:
    explicit CoursePage(QObject* parent = nullptr);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};
