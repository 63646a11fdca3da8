#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

struct sqlite3;

// A page that holds every word asked for.
struct SearchHit {
    QString page;  // the page name, which is also its chapter label
    QString line;  // the text around the first match, on one line, "…" where it is cut
    QString word;  // the first match as the page writes it
};

// The words of one language's pages under a content root, in an SQLite FTS5 index of its own in
// memory. Letter case does not count, nor does ё against е; every other letter, the Kazakh ә, ғ, қ,
// ң, ө, ұ, ү, һ, і among them, is a letter of its own (қ is not к). Belongs to the thread that made
// it.
class CourseIndex {
public:
    // An empty index of the pages "*.htm" of the folder, which must lie under the content root;
    // a page whose file lies outside the root once links are followed is never read. Throws a
    // Failure when the system's SQLite cannot make the index.
    CourseIndex(const QString& contentRoot, const QString& pagesFolder);
    ~CourseIndex();
    CourseIndex(const CourseIndex&) = delete;
    CourseIndex& operator=(const CourseIndex&) = delete;

    // Brings the index up to the folder: reads the pages that are new or whose modification time
    // or size changed since, and forgets the pages gone. `cancelled`, asked between pages, stops
    // the reading (the index then holds what was read). Returns whether anything changed.
    bool refresh(const std::function<bool()>& cancelled = {});

    // The pages holding all the words typed (MatchExpression), best first (FTS5's bm25 rank), at
    // most `limit`.
    QList<SearchHit> search(const QString& typed, int limit) const;

    int pageCount() const { return int(pages_.size()); }
    // The memory the index takes: the in-memory database's pages.
    qint64 indexBytes() const;
    // The size of the text indexed, as UTF-8.
    qint64 textBytes() const { return textBytes_; }

private:
    struct Stamp {
        qint64 rowid;
        qint64 modified;  // ms since the epoch
        qint64 size;
        qint64 textBytes;
    };

    void exec(const char* sql) const;
    [[noreturn]] void fail(const char* step) const;

    // A change of the index that is undone unless committed, so that the index stays as the stamps
    // say when a step fails.
    class Transaction {
    public:
        explicit Transaction(const CourseIndex& index) : index_(index) { index_.exec("BEGIN"); }
        ~Transaction();
        void commit() {
            index_.exec("COMMIT");
            open_ = false;
        }

    private:
        const CourseIndex& index_;
        bool open_ = true;
    };

    QString rootPrefix_;  // the canonical content root followed by "/"
    QString folder_;
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db_;
    QHash<QString, Stamp> pages_;  // by page name
    qint64 textBytes_ = 0;
};

// The FTS5 query for the words typed: each word a string of its own (its quotes doubled), all of
// them required; the last word a prefix unless the text ends in a space, and left out while it is
// a single letter. Empty when nothing is to be asked.
QString MatchExpression(const QString& typed);
