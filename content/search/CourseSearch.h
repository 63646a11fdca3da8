#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "CourseIndex.h"

// The course index of one folder of pages, in a thread of its own: the index is built at the first
// question or check (not before), each check reads again the pages changed on disk, and the asking
// thread never waits for either.
class CourseSearch : public QObject {
    Q_OBJECT

public:
    CourseSearch(const QString& contentRoot, const QString& pagesFolder, QObject* parent = nullptr);
    // Stops a build under way (the pages read so far are dropped) and waits for the thread.
    ~CourseSearch() override;

    // Reads again, before the next answer, the pages changed on disk since they were last read.
    void checkPages();
    // Asks for the pages that hold all the words typed, best first, at most `limit`. The answer
    // comes as found(); a question asked before the last one was answered replaces it.
    void find(const QString& typed, int limit);

signals:
    // The answer to the last question; `typed` says which.
    void found(const QString& typed, const QList<SearchHit>& hits);
    // The index could not be made or asked; the next question starts it afresh.
    void failed(const QString& message);

private:
    class Worker;
    void startThread();
    QThread thread_;
    std::unique_ptr<Worker> worker_;
    std::atomic<quint64> lastQuestion_{0};
};
