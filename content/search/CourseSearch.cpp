#include "CourseSearch.h"

#include "platform/failure/Failure.h"

// Lives in the search thread, where the index is made and asked.
class CourseSearch::Worker : public QObject {
public:
    Worker(CourseSearch* owner, const QString& contentRoot, const QString& pagesFolder)
        : owner_(owner), contentRoot_(contentRoot), pagesFolder_(pagesFolder) {}

    void answer(quint64 question, const QString& typed, int limit) {
        if (question != owner_->lastQuestion_) return;  // a later one is on its way
        QList<SearchHit> hits;
        try {
            if (!index_) index_ = std::make_unique<CourseIndex>(contentRoot_, pagesFolder_);
            index_->refresh([] { return QThread::currentThread()->isInterruptionRequested(); });
            if (QThread::currentThread()->isInterruptionRequested()) return;
            hits = index_->search(typed, limit);
        } catch (const platform::Failure& failure) {
            index_.reset();
            const QString message = failure.message();
            QMetaObject::invokeMethod(owner_, [owner = owner_, message] { emit owner->failed(message); });
            return;
        }
        QMetaObject::invokeMethod(owner_, [owner = owner_, typed, hits] { emit owner->found(typed, hits); });
    }

private:
    CourseSearch* const owner_;
    const QString contentRoot_;
    const QString pagesFolder_;
    std::unique_ptr<CourseIndex> index_;
};

CourseSearch::CourseSearch(const QString& contentRoot, const QString& pagesFolder, QObject* parent)
    : QObject(parent), worker_(std::make_unique<Worker>(this, contentRoot, pagesFolder)) {
    thread_.setObjectName(QStringLiteral("course search"));
    worker_->moveToThread(&thread_);
}

CourseSearch::~CourseSearch() {
    thread_.requestInterruption();
    thread_.quit();
    thread_.wait();
    // The thread is gone; the worker and its index go here, with what was queued for it.
}

void CourseSearch::find(const QString& typed, int limit) {
    if (!thread_.isRunning()) thread_.start();
    const quint64 question = ++lastQuestion_;
    QMetaObject::invokeMethod(
        worker_.get(), [worker = worker_.get(), question, typed, limit] { worker->answer(question, typed, limit); });
}
