#include "CourseIndex.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <memory>
#include <string>

#include "PageText.h"
#include "platform/failure/Failure.h"

namespace {

// The index's columns: the page name (kept, not searched) and the page's text.
constexpr int kBodyColumn = 1;
constexpr const char* kSchema = "CREATE VIRTUAL TABLE pages USING fts5(name UNINDEXED, body, tokenize = 'course');";

// --- The tokenizer "course": unicode61 (letter case folded, diacritics kept), then ё as е. ---
//
// unicode61 folds the case of every Cyrillic letter, Kazakh ones included, and leaves ё, й and the
// Kazakh letters as they are unless told to remove diacritics, which it does for Latin letters
// only; diacritics are kept so that no letter ever stands for another. A reader types е for ё, so
// ё is written as е in every word indexed and every word asked for.

struct FoldingTokenizer {
    fts5_tokenizer unicode61{};
    Fts5Tokenizer* instance = nullptr;
};

int createTokenizer(void* context, const char**, int, Fts5Tokenizer** out) {
    auto* api = static_cast<fts5_api*>(context);
    auto tokenizer = std::make_unique<FoldingTokenizer>();
    void* unicode61Context = nullptr;
    int rc = api->xFindTokenizer(api, "unicode61", &unicode61Context, &tokenizer->unicode61);
    if (rc != SQLITE_OK) return rc;
    const char* arguments[] = {"remove_diacritics", "0"};
    rc = tokenizer->unicode61.xCreate(unicode61Context, arguments, 2, &tokenizer->instance);
    if (rc != SQLITE_OK) return rc;
    *out = reinterpret_cast<Fts5Tokenizer*>(tokenizer.release());
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer* handle) {
    auto* tokenizer = reinterpret_cast<FoldingTokenizer*>(handle);
    tokenizer->unicode61.xDelete(tokenizer->instance);
    delete tokenizer;
}

using TokenCallback = int (*)(void*, int, const char*, int, int, int);

struct TokenRelay {
    void* context;
    TokenCallback next;
    std::string folded;
};

int foldToken(void* relayPointer, int flags, const char* token, int size, int start, int end) {
    auto* relay = static_cast<TokenRelay*>(relayPointer);
    // ё is D1 91 in UTF-8 and е is D0 B5: the same length, so offsets stay. D1 is never a
    // continuation byte, so the pair is always the letter.
    auto isYo = [token](int at) { return token[at] == '\xD1' && token[at + 1] == '\x91'; };
    int at = 0;
    while (at + 1 < size && !isYo(at)) ++at;
    if (at + 1 >= size) return relay->next(relay->context, flags, token, size, start, end);
    relay->folded.assign(token, size_t(size));
    for (size_t i = 0; i + 1 < relay->folded.size(); ++i)
        if (relay->folded[i] == '\xD1' && relay->folded[i + 1] == '\x91') {
            relay->folded[i] = '\xD0';
            relay->folded[i + 1] = '\xB5';
        }
    return relay->next(relay->context, flags, relay->folded.data(), size, start, end);
}

int tokenize(Fts5Tokenizer* handle, void* context, int flags, const char* text, int size, TokenCallback next) {
    auto* tokenizer = reinterpret_cast<FoldingTokenizer*>(handle);
    TokenRelay relay{context, next, {}};
    return tokenizer->unicode61.xTokenize(tokenizer->instance, &relay, flags, text, size, foldToken);
}

// --- The function first_match(pages): where the first match of the row lies in its text. ---
// Its byte offset times 2^32 plus its length in bytes; NULL when the text holds none.

struct TokenSeek {
    int wanted;  // the position (the token's number) looked for
    int position = 0;
    int start = -1;
    int end = -1;
};

int seekToken(void* seekPointer, int flags, const char*, int, int start, int end) {
    auto* seek = static_cast<TokenSeek*>(seekPointer);
    if (flags & FTS5_TOKEN_COLOCATED) return SQLITE_OK;  // shares the position of the one before
    if (seek->position++ < seek->wanted) return SQLITE_OK;
    seek->start = start;
    seek->end = end;
    return SQLITE_DONE;  // found: the rest of the text need not be read
}

void firstMatch(const Fts5ExtensionApi* api, Fts5Context* fts, sqlite3_context* result, int, sqlite3_value**) {
    int count = 0;
    int rc = api->xInstCount(fts, &count);
    int first = -1;
    for (int i = 0; rc == SQLITE_OK && i < count; ++i) {
        int phrase = 0, column = 0, offset = 0;
        rc = api->xInst(fts, i, &phrase, &column, &offset);
        if (rc == SQLITE_OK && column == kBodyColumn && (first < 0 || offset < first)) first = offset;
    }
    const char* text = nullptr;
    int size = 0;
    if (rc == SQLITE_OK && first >= 0) rc = api->xColumnText(fts, kBodyColumn, &text, &size);
    if (rc != SQLITE_OK) return sqlite3_result_error_code(result, rc);
    if (first < 0) return sqlite3_result_null(result);
    TokenSeek seek{first};
    rc = api->xTokenize(fts, text, size, &seek, seekToken);
    if (rc != SQLITE_OK && rc != SQLITE_DONE) return sqlite3_result_error_code(result, rc);
    if (seek.start < 0) return sqlite3_result_null(result);
    sqlite3_result_int64(result, (sqlite3_int64(seek.start) << 32) | sqlite3_int64(seek.end - seek.start));
}

fts5_api* fts5Api(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

// A prepared statement, finalised at the end of its scope.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(handle); }
};

// A line of the page's text around a match at bytes [start, end): the match with up to 40
// characters before it and 80 after, cut at spaces and at the line's ends, "…" where cut.
QString lineAround(const char* text, qsizetype size, qsizetype start, qsizetype end) {
    constexpr qsizetype kBefore = 40, kAfter = 80, kMaxBytes = 4;  // a character is at most 4 bytes
    qsizetype lineStart = start, lineEnd = end;
    while (lineStart > 0 && text[lineStart - 1] != '\n') --lineStart;
    while (lineEnd < size && text[lineEnd] != '\n') ++lineEnd;
    qsizetype from = std::max(lineStart, start - kBefore * kMaxBytes);
    qsizetype to = std::min(lineEnd, end + kAfter * kMaxBytes);
    auto continues = [text](qsizetype at) { return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; };
    while (from < start && continues(from)) ++from;  // not within a character
    while (to > end && to < size && continues(to)) --to;

    QString before = QString::fromUtf8(text + from, start - from);
    if (from > lineStart || before.size() > kBefore) {
        before = before.right(kBefore);
        const qsizetype space = before.indexOf(u' ');
        if (space >= 0) before = before.mid(space + 1);
        before.prepend(u'…');
    }
    QString after = QString::fromUtf8(text + end, to - end);
    if (to < lineEnd || after.size() > kAfter) {
        after.truncate(kAfter);
        const qsizetype space = after.lastIndexOf(u' ');
        if (space > 0) after.truncate(space);
        after.append(u'…');
    }
    return before + QString::fromUtf8(text + start, end - start) + after;
}

struct PageFile {
    QString name;
    QString path;
    qint64 modified;
    qint64 size;
};

struct ReadPage {
    QByteArray text;
    bool read = false;
};

ReadPage readPage(const PageFile& page) {
    QFile file(page.path);
    if (!file.open(QIODevice::ReadOnly)) return {};  // unreadable: left out, tried again next time
    return {PageText(file.readAll()), true};
}

QString withSlash(const QString& path) { return path.endsWith(u'/') ? path : path + u'/'; }

}  // namespace

CourseIndex::CourseIndex(const QString& contentRoot, const QString& pagesFolder)
    : folder_(pagesFolder), db_(nullptr, sqlite3_close) {
    const QString root = QFileInfo(contentRoot).canonicalFilePath();
    if (!root.isEmpty()) rootPrefix_ = withSlash(root);
    if (!sqlite3_compileoption_used("ENABLE_FTS5"))
        throw platform::Failure(QStringLiteral("В SQLite %1 нет полнотекстового поиска (FTS5)")
                                    .arg(QString::fromLatin1(sqlite3_libversion())));
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db_.reset(db);
    if (opened != SQLITE_OK) fail("open");
    fts5_api* api = fts5Api(db);
    if (!api) fail("fts5");
    fts5_tokenizer tokenizer{createTokenizer, deleteTokenizer, tokenize};
    if (api->xCreateTokenizer(api, "course", api, &tokenizer, nullptr) != SQLITE_OK) fail("tokenizer");
    if (api->xCreateFunction(api, "first_match", nullptr, firstMatch, nullptr) != SQLITE_OK) fail("first_match");
    exec(kSchema);
}

CourseIndex::~CourseIndex() = default;

CourseIndex::Transaction::~Transaction() {
    if (open_) sqlite3_exec(index_.db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void CourseIndex::fail(const char* step) const {
    throw platform::Failure(
        QStringLiteral("Не удалось составить указатель страниц (%1): %2")
            .arg(QLatin1String(step), QString::fromUtf8(db_ ? sqlite3_errmsg(db_.get()) : "out of memory")));
}

void CourseIndex::exec(const char* sql) const {
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
}

bool CourseIndex::refresh(const std::function<bool()>& cancelled) {
    // What the folder holds now. A page reached through a link must stay under the content root;
    // a page that is a plain file in a folder under the root is there.
    QList<PageFile> toRead;
    QHash<QString, Stamp> kept;
    const QString folder = QFileInfo(folder_).canonicalFilePath();
    const bool folderInside = !rootPrefix_.isEmpty() && withSlash(folder).startsWith(rootPrefix_);
    if (folderInside) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
        for (const QFileInfo& file : files) {
            const QString fileName = file.fileName();
            if (!fileName.endsWith(u".htm") || fileName.size() == 4) continue;  // PageAddress adds ".htm" exactly
            if (file.isSymLink() && !file.canonicalFilePath().startsWith(rootPrefix_)) continue;
            const QString name = fileName.chopped(4);
            const qint64 modified = file.lastModified().toMSecsSinceEpoch();
            const auto known = pages_.constFind(name);
            if (known != pages_.constEnd() && known->modified == modified && known->size == file.size())
                kept.insert(name, *known);
            else
                toRead.append({name, file.filePath(), modified, file.size()});
        }
    }
    QList<qint64> gone;
    for (auto page = pages_.cbegin(); page != pages_.cend(); ++page)
        if (!kept.contains(page.key())) gone.append(page->rowid);
    if (toRead.isEmpty() && gone.isEmpty()) return false;

    Transaction transaction(*this);
    Statement remove, insert;
    if (sqlite3_prepare_v2(db_.get(), "DELETE FROM pages WHERE rowid = ?1", -1, &remove.handle, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db_.get(), "INSERT INTO pages(name, body) VALUES(?1, ?2)", -1, &insert.handle, nullptr) !=
            SQLITE_OK)
        fail("prepare");
    for (const qint64 rowid : gone) {
        sqlite3_bind_int64(remove.handle, 1, rowid);
        if (sqlite3_step(remove.handle) != SQLITE_DONE) fail("delete");
        sqlite3_reset(remove.handle);
    }
    qint64 textBytes = 0;
    for (const Stamp& page : std::as_const(kept)) textBytes += page.textBytes;

    // The pages are parsed on the other cores while this thread fills the index, a chunk ahead.
    constexpr qsizetype kChunk = 64;
    QThreadPool parsers;
    auto readChunk = [&](qsizetype from) { return QtConcurrent::mapped(&parsers, toRead.mid(from, kChunk), readPage); };
    QFuture<ReadPage> next = readChunk(0);
    bool stopped = false;
    for (qsizetype from = 0; from < toRead.size() && !stopped; from += kChunk) {
        const QFuture<ReadPage> current = next;
        if (from + kChunk < toRead.size()) next = readChunk(from + kChunk);
        const QList<ReadPage> read = current.results();
        for (qsizetype i = 0; i < read.size(); ++i) {
            if (cancelled && cancelled()) {
                stopped = true;
                break;
            }
            if (!read[i].read) continue;
            const PageFile& file = toRead[from + i];
            const QByteArray name = file.name.toUtf8();
            sqlite3_bind_text(insert.handle, 1, name.constData(), int(name.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert.handle, 2, read[i].text.constData(), int(read[i].text.size()), SQLITE_STATIC);
            if (sqlite3_step(insert.handle) != SQLITE_DONE) fail("insert");
            sqlite3_reset(insert.handle);
            kept.insert(file.name,
                        {sqlite3_last_insert_rowid(db_.get()), file.modified, file.size, read[i].text.size()});
            textBytes += read[i].text.size();
        }
    }
    next.cancel();
    next.waitForFinished();
    exec("INSERT INTO pages(pages) VALUES('optimize')");
    transaction.commit();
    // A page that changed and could not be read again stays out: kept holds only what the index has.
    pages_ = std::move(kept);
    textBytes_ = textBytes;
    return true;
}

QList<SearchHit> CourseIndex::search(const QString& typed, int limit) const {
    const QByteArray match = MatchExpression(typed).toUtf8();
    if (match.isEmpty()) return {};
    Statement query;
    // Ordered by rank alone, FTS5 sorts the hits itself and reads the text of the rows returned only.
    if (sqlite3_prepare_v2(
            db_.get(), "SELECT name, body, first_match(pages) FROM pages WHERE pages MATCH ?1 ORDER BY rank LIMIT ?2",
            -1, &query.handle, nullptr) != SQLITE_OK)
        fail("search");
    sqlite3_bind_text(query.handle, 1, match.constData(), int(match.size()), SQLITE_STATIC);
    sqlite3_bind_int(query.handle, 2, limit);
    QList<SearchHit> hits;
    int rc;
    while ((rc = sqlite3_step(query.handle)) == SQLITE_ROW) {
        SearchHit hit;
        hit.page = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query.handle, 0)),
                                     sqlite3_column_bytes(query.handle, 0));
        const char* body = reinterpret_cast<const char*>(sqlite3_column_text(query.handle, 1));
        const qsizetype size = sqlite3_column_bytes(query.handle, 1);
        if (sqlite3_column_type(query.handle, 2) == SQLITE_INTEGER) {
            const qint64 at = sqlite3_column_int64(query.handle, 2);
            const qsizetype start = at >> 32, end = start + (at & 0xFFFFFFFF);
            if (body && end <= size) {
                hit.line = lineAround(body, size, start, end);
                hit.word = QString::fromUtf8(body + start, end - start);
            }
        }
        hits.append(hit);
    }
    if (rc != SQLITE_DONE) fail("search");
    return hits;
}

qint64 CourseIndex::indexBytes() const {
    auto pragma = [this](const char* sql) {
        Statement statement;
        if (sqlite3_prepare_v2(db_.get(), sql, -1, &statement.handle, nullptr) != SQLITE_OK ||
            sqlite3_step(statement.handle) != SQLITE_ROW)
            fail(sql);
        return sqlite3_column_int64(statement.handle, 0);
    };
    return pragma("PRAGMA page_count") * pragma("PRAGMA page_size");
}

QString MatchExpression(const QString& typed) {
    QStringList words = typed.simplified().split(u' ', Qt::SkipEmptyParts);
    // The last word is still being typed unless a space follows it: it counts as the start of a
    // word from its second letter on (one letter starts too many words to say anything yet).
    bool typing = !words.isEmpty() && !typed.back().isSpace();
    if (typing && words.back().size() == 1) {
        words.removeLast();
        typing = false;
    }
    QString expression;
    for (QString word : std::as_const(words)) {
        word.replace(u'"', QStringLiteral("\"\"")).remove(QChar(0));
        if (!expression.isEmpty()) expression += u' ';
        expression += u'"' + word + u'"';
    }
    if (typing) expression += QStringLiteral(" *");
    return expression;
}
