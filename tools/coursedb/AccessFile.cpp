#include "AccessFile.h"

#include <iconv.h>
#include <mdbtools.h>

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cstring>
#include <vector>

#include "platform/failure/Failure.h"

using platform::Failure;

namespace coursedb {

struct AccessFile::Handle {
    MdbHandle* mdb = nullptr;
    ~Handle() {
        if (mdb) mdb_close(mdb);
    }
};

namespace {

// MDB Tools reads its text encodings from the environment when a file is opened; set them for
// that moment only and put the caller's values back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : name_(name), had_(qEnvironmentVariableIsSet(name)) {
        if (had_) old_ = qgetenv(name);
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

void requireCharset(const QString& charset) {
    const iconv_t probe = iconv_open("UTF-8", charset.toLatin1().constData());
    if (probe == reinterpret_cast<iconv_t>(-1))
        throw Failure(QStringLiteral("Unknown code page %1 (try CP1251 or CP1252)").arg(charset));
    iconv_close(probe);
}

QString utf8(const char* text) { return QString::fromUtf8(text); }

bool isBinary(int type) { return type == MDB_OLE || type == MDB_BINARY || type == MDB_COMPLEX; }
bool isInteger(int type) { return type == MDB_BYTE || type == MDB_INT || type == MDB_LONGINT; }

// Frees a table definition when it goes.
struct TableDef {
    MdbTableDef* def;
    ~TableDef() { mdb_free_tabledef(def); }
};

}  // namespace

AccessFile::AccessFile(const QString& path, const QString& jet3Charset, int bufferBytes)
    : path_(path), bufferBytes_(bufferBytes), handle_(new Handle) {
    const QFileInfo info(path);
    if (!info.exists()) throw Failure(QStringLiteral("%1 does not exist").arg(path));
    if (!info.isFile() || !info.isReadable()) throw Failure(QStringLiteral("Cannot read %1").arg(path));
    if (!jet3Charset.isEmpty()) requireCharset(jet3Charset);
    {
        // Our texts are UTF-8 whatever the user's environment says.
        const ScopedEnvironment target("MDBICONV", "UTF-8");
        const ScopedEnvironment source("MDB_JET3_CHARSET", jet3Charset.toLatin1());
        handle_->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    }
    if (!handle_->mdb) throw Failure(QStringLiteral("%1 is not an Access database MDB Tools can read").arg(path));
    MdbHandle* mdb = handle_->mdb;
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb);
    if (!mdb_read_catalog(mdb, MDB_TABLE)) throw Failure(QStringLiteral("Cannot read the tables of %1").arg(path));
}

AccessFile::~AccessFile() = default;

QString AccessFile::format() const {
    switch (handle_->mdb->f->jet_version) {
        case MDB_VER_JET3:
            return QStringLiteral("Jet 3");
        case MDB_VER_JET4:
            return QStringLiteral("Jet 4");
        default:
            return QStringLiteral("Access 2007 or later");
    }
}

QStringList AccessFile::tables() const {
    QStringList names;
    MdbHandle* mdb = handle_->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry)) names << utf8(entry->object_name);
    }
    return names;
}

Table AccessFile::read(const QString& source, const QString& target, const QStringList& fields,
                       const Progress& progress) const {
    MdbHandle* mdb = handle_->mdb;
    const QString& file = path_;

    MdbCatalogEntry* found = nullptr;
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (unsigned i = 0; i < mdb->num_catalog && !found; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry) &&
                utf8(entry->object_name).compare(source, cs) == 0)
                found = entry;
        }
        if (found) break;
    }
    if (!found)
        throw Failure(QStringLiteral("%1 has no table \"%2\" (its tables: %3)")
                          .arg(file, source, tables().join(QStringLiteral(", "))));
    const QString tableName = utf8(found->object_name);

    const TableDef def{mdb_read_table(found)};
    if (!def.def || !mdb_read_columns(def.def))
        throw Failure(QStringLiteral("%1: cannot read the table \"%2\"").arg(file, tableName));
    MdbTableDef* tableDef = def.def;
    // The rows' buffers; MDB Tools reads its catalog and column definitions with its own size.
    mdb_set_bind_size(mdb, size_t(bufferBytes_));
    const auto ownSize = qScopeGuard([mdb] { mdb_set_bind_size(mdb, MDB_BIND_SIZE); });

    struct Bound {
        int column;  // 1-based, as MDB Tools counts
        bool integer;
        std::vector<char> buffer;
    };
    std::vector<Bound> bound;
    Table table{target, {}, {}};
    QStringList available;
    for (unsigned c = 0; c < tableDef->num_cols; ++c)
        available << utf8(static_cast<MdbColumn*>(g_ptr_array_index(tableDef->columns, c))->name);
    auto bind = [&](int index, const QString& name) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(tableDef->columns, index));
        const bool integer = isInteger(column->col_type) || name.compare(u"num", Qt::CaseInsensitive) == 0;
        bound.push_back(Bound{index + 1, integer, std::vector<char>(mdb->bind_size + 1, '\0')});
        table.fields << name;
        if (isInteger(column->col_type)) table.integerFields << name;
    };
    if (fields.isEmpty()) {
        for (int c = 0; c < available.size(); ++c)
            if (!isBinary(static_cast<MdbColumn*>(g_ptr_array_index(tableDef->columns, c))->col_type))
                bind(c, available[c]);
    } else {
        QStringList missing;
        for (const QString& field : fields) {
            qsizetype index = available.indexOf(field);
            if (index < 0)
                for (qsizetype c = 0; c < available.size() && index < 0; ++c)
                    if (available[c].compare(field, Qt::CaseInsensitive) == 0) index = c;
            if (index < 0)
                missing << field;
            else
                bind(int(index), field);
        }
        if (!missing.isEmpty())
            throw Failure(QStringLiteral("%1, table \"%2\": no field %3 (its fields: %4)")
                              .arg(file, tableName,
                                   QStringLiteral("\"") + missing.join(QStringLiteral("\", \"")) + u'"',
                                   available.join(QStringLiteral(", "))));
    }
    // Binding after all buffers exist: the vector no longer moves them.
    for (Bound& b : bound) mdb_bind_column(tableDef, b.column, b.buffer.data(), nullptr);

    const qint64 total = tableDef->num_rows;
    mdb_rewind_table(tableDef);
    qint64 done = 0;
    while (mdb_fetch_row(tableDef)) {
        ++done;
        QStringList row;
        for (std::size_t i = 0; i < bound.size(); ++i) {
            // MDB Tools converts a text into a buffer of bind_size bytes, stopping before a character
            // that does not fit, and copies at most bind_size - 1 of them: a text it cut is at least
            // bind_size - 3 bytes long. One that long may be whole, but cannot be told from a cut one.
            const std::size_t length = std::strlen(bound[i].buffer.data());
            if (length + 3 >= mdb->bind_size)
                throw Failure(QStringLiteral("%1, table \"%2\", row %3: the field %4 holds a text longer than the %5 "
                                             "bytes MDB Tools reads of one; it would be cut, so nothing is imported")
                                  .arg(file, tableName, QString::number(done), table.fields[qsizetype(i)],
                                       QString::number(mdb->bind_size - 4)));
            QString value = QString::fromUtf8(bound[i].buffer.data(), qsizetype(length));
            if (bound[i].integer && !value.isEmpty()) {
                const std::optional<qlonglong> number = WholeNumber(value);
                if (!number)
                    throw Failure(QStringLiteral("%1, table \"%2\", row %3: %4 is not a whole number: \"%5\"")
                                      .arg(file, tableName)
                                      .arg(done)
                                      .arg(table.fields[qsizetype(i)], value));
                value = QString::number(*number);
            }
            row << value;
        }
        table.rows << row;
        if (progress && done % 500 == 0) progress(done, total);
    }
    if (progress) progress(done, total);
    return table;
}

}  // namespace coursedb
