#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "CourseDb.h"

namespace coursedb {

// An Access database (Jet 3 or Jet 4, the `Base\test.mdb` of a course) opened for reading
// through the MDB Tools library. Texts come out as UTF-8.
class AccessFile {
public:
    // Jet 4 files hold their texts in Unicode. Jet 3 files hold them in a Windows code page that
    // the file does not record reliably; `jet3Charset` names it ("CP1251" for Russian texts),
    // empty for MDB Tools' default (CP1252, Western European). Throws if the file cannot be
    // read as an Access database or the code page is unknown.
    // MDB Tools reads a text (a memo too) into a buffer of `bufferBytes`: a longer one would be cut, and
    // is an error instead.
    static constexpr int kBufferBytes = 1 << 20;
    explicit AccessFile(const QString& path, const QString& jet3Charset = QString(), int bufferBytes = kBufferBytes);
    ~AccessFile();
    AccessFile(const AccessFile&) = delete;
    AccessFile& operator=(const AccessFile&) = delete;

    QString path() const { return path_; }
    // "Jet 3", "Jet 4", "Access 2007" ...
    QString format() const;
    // The user tables, in the file's order.
    QStringList tables() const;

    // Reads table `source` (its name matched exactly, else without regard to letter case) as
    // table `target`. With `fields`, only those (matched the same way, written under the given
    // names; a missing one is an error naming it); without, every field but pictures and other
    // binary data, integer columns marked as such. Whole numbers are checked as they are read, and
    // a text too long for the buffer is an error: errors name the file, table, row and field.
    Table read(const QString& source, const QString& target, const QStringList& fields = {},
               const Progress& progress = {}) const;

private:
    struct Handle;
    QString path_;
    int bufferBytes_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace coursedb
