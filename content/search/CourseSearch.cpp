#include "CourseSearch.h"

#include "platform/failure/Failure.h"

// Lives in the search thread, where the index is made and asked.
class CourseSearch::Worker : public QObject {
public:
    Worker(CourseSearch* owner, const QString& contentRoot, const QString& pagesFolder)
        : owner_(owner), contentRoot_(contentRoot), pagesFolder_(pagesFolder) {}

    void check() {
        run([this] { index(false); });
    }

    void answer(quint64 question, const QString& typed, int limit) {
        if (question != owner_->lastQuestion_) return;  // a later one is on its way
        run([&] {
            CourseIndex& built = index(true);
            if (stopping()) return;
            const QList<SearchHit> hits = built.search(typed, limit);
            QMetaObject::invokeMethod(owner_, [owner = owner_, typed, hits] { emit owner->found(typed, hits); });
        });
    }

private:
    static bool stopping() { return QThread::currentThread()->isInterruptionRequested(); }

    // The index, read again from the folder unless it was read already and `asIs` is asked for.
    CourseIndex& index(bool asIs) {
        const bool made = !index_;
        if (made) index_ = std::make_unique<CourseIndex>(contentRoot_, pagesFolder_);
        if (made || !asIs) index_->refresh(stopping);
        return *index_;
    }

    // A failure drops the index: the next question or check makes it afresh.
    void run(const std::function<void()>& step) {
        try {
            if (!stopping()) step();
        } catch (const platform::Failure& failure) {
            index_.reset();
            const QString message = failure.message();
            QMetaObject::invokeMethod(owner_, [owner = owner_, message] { emit owner->failed(message); });
        }
    }

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

void CourseSearch::startThread() {
    if (!thread_.isRunning()) thread_.start();
}

void CourseSearch::checkPages() {
    startThread();
    QMetaObject::invokeMethod(worker_.get(), [worker = worker_.get()] { worker->check(); });
}

void CourseSearch::find(const QString& typed, int limit) {
    startThread();
    const quint64 question = ++lastQuestion_;
    QMetaObject::invokeMethod(
        worker_.get(), [worker = worker_.get(), question, typed, limit] { worker->answer(question, typed, limit); });
}
