#include "ContentCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include "CourseDb.h"
#include "content/rules/ContentRules.h"
#include "content/rules/CourseOutline.h"
#include "data/cursor/Connection.h"
#include "data/cursor/TestResults.h"
#include "platform/failure/Failure.h"

namespace coursedb {

namespace {

QString languageName(Language language) {
    return language == Language::Russian ? QStringLiteral("Russian") : QStringLiteral("Kazakh");
}

QString quoted(const QString& text) { return u'"' + text + u'"'; }

// Who opens a page or a section, for the messages.
struct PageNeed {
    Language language;
    QString name;
    QStringList openedBy;             // "the Russian chapter tree", ...
    QMap<int, QStringList> sections;  // section -> the items that open it
};

struct VideoNeed {
    QStringList playedBy;
};

// The columns of a server table, in their order.
QStringList serverColumns(const QString& address, const QString& table) {
    ::Connection connection;
    connection.setConnectionString(address);
    connection.open();
    QStringList columns;
    const auto query =
        connection.run(QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                      "current_schema() AND table_name = ? ORDER BY ordinal_position"),
                       {table});
    while (query->next()) columns << query->value(0).toString();
    return columns;
}

class Checker {
public:
    Checker(const QString& root, const QString& database)
        : root_(QDir(root).absolutePath()),
          database_(database.isEmpty() ? root_ + QStringLiteral("/Base/test.db") : database),
          shown_(database.isEmpty() ? QStringLiteral("Base/test.db") : WithoutPassword(database)),
          given_(!database.isEmpty()),
          server_(IsServerAddress(database)) {}

    QList<Problem> run(QList<Problem>* notes) {
        for (const Language language : {Language::Russian, Language::Kazakh}) collect(language);
        checkPages();
        checkVideos();
        checkDatabase();
        if (notes) *notes = notes_;
        return problems_;
    }

private:
    QString root_;
    QString database_;  // the file's path or the server's address
    QString shown_;     // as messages name it: relative to the root, as given, or without a password
    bool given_;        // named apart from the content root
    bool server_;
    QList<PageNeed> pages_;
    QMap<int, VideoNeed> videos_;
    QList<Problem> problems_;
    QList<Problem> notes_;

    void report(const QString& where, const QString& what, const QString& fix) {
        problems_ << Problem{where, what, fix};
    }

    QString relative(const QString& path) const { return QDir(root_).relativeFilePath(QDir::cleanPath(path)); }

    PageNeed& page(Language language, const QString& name, const QString& openedBy) {
        PageNeed* need = nullptr;
        for (PageNeed& p : pages_)
            if (p.language == language && p.name == name) need = &p;
        if (!need) {
            pages_ << PageNeed{language, name, {}, {}};
            need = &pages_.last();
        }
        if (!need->openedBy.contains(openedBy)) need->openedBy << openedBy;
        return *need;
    }

    void collect(Language language) {
        const QString tree = QStringLiteral("the %1 chapter tree").arg(languageName(language));
        const QString menu = QStringLiteral("the %1 week menu").arg(languageName(language));
        for (const ChapterEntry& entry : ChapterTree(language)) {
            PageNeed& need = page(language, entry.label, tree);
            const bool videoRoot = entry.label == VideoRootLabel(language);
            for (int i = 0; i < entry.items.size(); ++i) {
                const QString who =
                    QStringLiteral("%1 under %2 in %3").arg(quoted(entry.items[i].label), quoted(entry.label), tree);
                if (videoRoot)
                    videos_[i + 1].playedBy << who;
                else
                    need.sections[i + 1] << who;
            }
        }
        for (const MenuEntry& entry : WeekMenu(language)) {
            if (entry.items.isEmpty() && entry.tag == kPageTag) page(language, entry.caption, menu);
            for (const MenuItem& item : entry.items) {
                const QString who =
                    QStringLiteral("%1 under %2 in %3").arg(quoted(item.caption), quoted(entry.caption), menu);
                if (const int section = MenuSection(item.tag))
                    page(language, entry.caption, menu).sections[section] << who;
                if (const int video = MenuVideo(item.tag)) videos_[video].playedBy << who;
            }
        }
    }

    // A file of another letter case or Unicode form than the one asked for, as a copy from
    // Windows or macOS may bring: the textbook here finds names only as they are.
    static QString nearMiss(const QString& directory, const QString& fileName) {
        auto key = [](QString name) {
            name = name.normalized(QString::NormalizationForm_C).toCaseFolded();
            if (name.endsWith(u".html")) name.chop(1);
            return name;
        };
        const QString wanted = key(fileName);
        for (const QString& entry : QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (key(entry) == wanted) return entry;
        return QString();
    }

    QString missingFix(const QString& path, const QString& addition) const {
        const QFileInfo info(path);
        const QString other = nearMiss(info.absolutePath(), info.fileName());
        if (!other.isEmpty())
            return QStringLiteral("rename %1 to %2: the name must match exactly, letter case and letter forms included")
                .arg(quoted(relative(info.absolutePath() + u'/' + other)), quoted(info.fileName()));
        return addition;
    }

    // "opens" for one, "open" for more.
    static QString verb(const QStringList& subjects, const QString& singular, const QString& plural) {
        return subjects.size() > 1 ? plural : singular;
    }

    static QString list(const QStringList& items) {
        if (items.size() <= 1) return items.join(QString());
        return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
    }

    static bool hasAnchor(const QString& html, int section) {
        // id="a2", name='a2' or name=a2 in any tag; the attribute name in any letter case, the
        // value exactly, since the address's fragment must match it.
        const QString value = QStringLiteral("a%1").arg(section);
        const QRegularExpression anchor(
            QStringLiteral("\\s(?:[Ii][Dd]|[Nn][Aa][Mm][Ee])\\s*=\\s*(?:\"%1\"|'%1'|%1(?=[\\s/>]))").arg(value));
        return anchor.match(html).hasMatch();
    }

    void checkPages() {
        QList<Language> missingDirectories;
        for (const Language language : {Language::Russian, Language::Kazakh}) {
            const QString directory = root_ + u'/' + PageDirectory(language);
            if (!QFileInfo(directory).isDir()) {
                missingDirectories << language;
                report(PageDirectory(language) + u'/',
                       QStringLiteral("missing: it holds the %1 pages").arg(languageName(language)),
                       QStringLiteral("add the directory %1 with the %2 pages (.htm files named by the labels of "
                                      "the chapter tree and the week menu)")
                           .arg(PageDirectory(language) + u'/', languageName(language)));
            }
        }
        for (const PageNeed& need : pages_) {
            if (missingDirectories.contains(need.language)) continue;
            const QString path = PageAddress(root_, need.language, need.name);
            const QString where = relative(path);
            if (!QFileInfo(path).isFile()) {
                QString addition = QStringLiteral("add the page %1").arg(quoted(where));
                if (!need.sections.isEmpty()) {
                    QStringList anchors;
                    for (const int section : need.sections.keys()) anchors << QStringLiteral("a%1").arg(section);
                    addition += QStringLiteral(" with the sections %1 marked id=\"aN\"")
                                    .arg(anchors.join(QStringLiteral(", ")));
                }
                report(
                    where,
                    QStringLiteral("missing; %1 %2 it")
                        .arg(list(need.openedBy), verb(need.openedBy, QStringLiteral("opens"), QStringLiteral("open"))),
                    missingFix(path, addition));
                continue;
            }
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                report(where, QStringLiteral("cannot be read: %1").arg(file.errorString()),
                       QStringLiteral("make it readable"));
                continue;
            }
            // Anchors are ASCII: Latin-1 keeps them whatever the page's own encoding.
            const QString html = QString::fromLatin1(file.readAll());
            for (auto s = need.sections.cbegin(); s != need.sections.cend(); ++s) {
                if (hasAnchor(html, s.key())) continue;
                report(
                    where,
                    QStringLiteral("no anchor a%1 for section %1, which %2 %3")
                        .arg(s.key())
                        .arg(list(s.value()), verb(s.value(), QStringLiteral("opens"), QStringLiteral("open"))),
                    QStringLiteral("mark the start of section %1 with id=\"a%1\" (or <a name=\"a%1\">)").arg(s.key()));
            }
        }
    }

    void checkVideos() {
        const QString directory = root_ + QStringLiteral("/video");
        if (!QFileInfo(directory).isDir()) {
            report(QStringLiteral("video/"), QStringLiteral("missing: it holds the course videos 1.avi to 5.avi"),
                   QStringLiteral("add the directory video/ with the videos 1.avi to 5.avi"));
            return;
        }
        for (auto v = videos_.cbegin(); v != videos_.cend(); ++v) {
            const QString path = QDir::cleanPath(VideoPath(root_, v.key()));
            if (QFileInfo(path).isFile()) continue;
            report(relative(path),
                   QStringLiteral("missing; %1 %2 it")
                       .arg(list(v.value().playedBy),
                            verb(v.value().playedBy, QStringLiteral("plays"), QStringLiteral("play"))),
                   missingFix(path, QStringLiteral("add the video %1").arg(quoted(relative(path)))));
        }
    }

    void checkDatabase() {
        if (server_) {
            try {
                DatabaseTables(database_);
            } catch (const platform::Failure& failure) {
                // The connection's own message names the address as well; it is said once here.
                QString why = failure.message();
                const QString prefix = QStringLiteral("Cannot open the course database %1: ").arg(shown_);
                if (why.startsWith(prefix)) why = why.mid(prefix.size());
                report(shown_, QStringLiteral("cannot be opened: %1").arg(why.trimmed()),
                       QStringLiteral("check the address, that the server runs and lets this user in with this "
                                      "password, and that the database exists (createdb makes it); then copy the "
                                      "course's database file there: coursedb push FILE %1")
                           .arg(shown_));
                return;
            }
        } else if (!QFileInfo(database_).isFile()) {
            // The Access database a course brings sits beside where its database file belongs.
            const QFileInfo info(database_);
            const QString mdb = info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral(".mdb");
            const QString shownDir = QFileInfo(shown_).path();
            const QString shownMdb =
                (shownDir == u"." && !shown_.startsWith(QStringLiteral("./")) ? QString() : shownDir + u'/') +
                info.completeBaseName() + QStringLiteral(".mdb");
            const QString make =
                QStringLiteral("make it with coursedb import-mdb (from the course's test.mdb) or coursedb import-csv");
            report(shown_, QStringLiteral("missing: the course database with the question banks and the user register"),
                   QFileInfo(mdb).isFile()
                       ? QStringLiteral("convert the Access database beside it: coursedb import-mdb %1 %2")
                             .arg(shownMdb, shown_)
                       : (given_ ? make : missingFix(database_, make)));
            return;
        } else {
            try {
                DatabaseTables(database_);
            } catch (const platform::Failure& failure) {
                report(shown_, QStringLiteral("cannot be opened: %1").arg(failure.message()),
                       QStringLiteral("replace it with a course database made by coursedb import-mdb or import-csv"));
                return;
            }
        }
        checkBank(Language::Russian);
        checkBank(Language::Kazakh);
        checkRegister();
        checkResults();
    }

    QString tableWhere(const QString& name) const { return QStringLiteral("%1, table %2").arg(shown_, name); }

    // How a table gets onto the server again: from CSV into a file of its own, which push then
    // copies; `replace` when the server has the table already. Only that table changes there.
    QString copyThere(const QString& name, const QString& csv, bool replace) const {
        return QStringLiteral("coursedb import-csv --table %1 %2 %1.db, then coursedb push%3 %1.db %4")
            .arg(name, csv, replace ? QStringLiteral(" --force") : QString(), shown_);
    }

    // The table, or none after reporting why.
    std::optional<Table> readTable(const QString& name, const QString& role, const QStringList& fields,
                                   const QString& csvHint) {
        const QString where = tableWhere(name);
        Table table;
        try {
            QString found;
            for (const QString& t : DatabaseTables(database_))
                if (t.compare(name, Qt::CaseInsensitive) == 0) found = t;
            if (found.isEmpty()) {
                report(
                    where, QStringLiteral("missing: it is %1").arg(role),
                    server_
                        ? QStringLiteral("copy it there: %1").arg(copyThere(name, csvHint, false))
                        : QStringLiteral("import it: coursedb import-csv --table %1 %2 %3").arg(name, csvHint, shown_));
                return std::nullopt;
            }
            // On a server the textbook finds rows, and their order, by this column alone.
            if (server_ && !serverColumns(database_, found).contains(::Connection::rowKey())) {
                report(where,
                       QStringLiteral("no column %1, by which the textbook tells the rows apart and keeps their "
                                      "order")
                           .arg(::Connection::rowKey()),
                       QStringLiteral("add it on the server, numbering the rows in the order the server holds them: "
                                      "ALTER TABLE %1 ADD COLUMN %2 bigint GENERATED BY DEFAULT AS IDENTITY UNIQUE; "
                                      "or copy the table there again: %3")
                           .arg(quoteIdentifier(found), ::Connection::rowKey(), copyThere(name, csvHint, true)));
                return std::nullopt;
            }
            table = ReadTable(database_, name);
        } catch (const platform::Failure& failure) {
            report(where, QStringLiteral("cannot be read: %1").arg(failure.message()),
                   server_ ? QStringLiteral("copy it there again: %1").arg(copyThere(name, csvHint, true))
                           : QStringLiteral("import it again with coursedb"));
            return std::nullopt;
        }
        QStringList missing;
        for (const QString& field : fields)
            if (!table.fields.contains(field, Qt::CaseInsensitive)) missing << field;
        if (!missing.isEmpty()) {
            report(where,
                   QStringLiteral("no field %1 (its fields: %2)")
                       .arg(list(missing), table.fields.join(QStringLiteral(", "))),
                   QStringLiteral("add the field%1 %2, or %3")
                       .arg(missing.size() > 1 ? QStringLiteral("s") : QString(), list(missing),
                            server_ ? QStringLiteral("copy the table there again with the fields %1: %2")
                                          .arg(fields.join(QStringLiteral(", ")), copyThere(name, csvHint, true))
                                    : QStringLiteral("import the table again with the fields %1")
                                          .arg(fields.join(QStringLiteral(", ")))));
            return std::nullopt;
        }
        return table;
    }

    static int fieldIndex(const Table& table, const QString& field) {
        for (int i = 0; i < table.fields.size(); ++i)
            if (table.fields[i].compare(field, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }

    void checkBank(Language language) {
        const QString name = QuestionBankTable(language);
        const QString where = tableWhere(name);
        const QString csv = name + QStringLiteral(".csv");
        const std::optional<Table> table = readTable(
            name, QStringLiteral("the %1 question bank").arg(languageName(language)), QuestionBankFields(), csv);
        if (!table) return;
        const qsizetype rows = table->rows.size();
        if (rows < kMinimumBankRows)
            report(where, QStringLiteral("%1 questions; a test needs at least %2").arg(rows).arg(kMinimumBankRows),
                   QStringLiteral("add questions numbered %1 to %2 (a bank of 400 serves)")
                       .arg(rows + 1)
                       .arg(kMinimumBankRows));

        const int num = fieldIndex(*table, QStringLiteral("num"));
        for (qsizetype r = 0; r < rows; ++r) {
            const QString text = table->rows[r][num];
            const std::optional<qlonglong> n = WholeNumber(text);
            if (n && *n == r + 1) continue;
            const QString found = n ? QStringLiteral("num %1").arg(*n)
                                    : (text.isEmpty() ? QStringLiteral("an empty num")
                                                      : QStringLiteral("num %1, not a whole number").arg(quoted(text)));
            report(QStringLiteral("%1, row %2").arg(where).arg(r + 1),
                   QStringLiteral("%1 where %2 is due: the questions must be numbered 1, 2, 3… in the table's order")
                       .arg(found)
                       .arg(r + 1),
                   server_
                       ? QStringLiteral("number the rows 1, 2, 3… without gaps, in order, and copy the bank there "
                                        "again: %1")
                             .arg(copyThere(name, csv, true))
                       : QStringLiteral("number the rows 1, 2, 3… without gaps, in order, and import the bank again"));
            break;  // every later row is off as well
        }

        const int otvet = fieldIndex(*table, QStringLiteral("otvet"));
        static const QStringList answers{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                         QStringLiteral("d"), QStringLiteral("e")};
        QStringList bad;
        for (qsizetype r = 0; r < rows; ++r) {
            const QString value = table->rows[r][otvet];
            if (!answers.contains(value)) bad << QStringLiteral("row %1 (%2)").arg(r + 1).arg(quoted(value));
        }
        if (!bad.isEmpty()) {
            constexpr int shown = 10;
            QString rowsText = bad.mid(0, shown).join(QStringLiteral(", "));
            if (bad.size() > shown) rowsText += QStringLiteral(" and %1 more").arg(bad.size() - shown);
            report(where, QStringLiteral("otvet is not one of a, b, c, d, e in %1").arg(rowsText),
                   QStringLiteral("set otvet to the right answer's letter: a lower-case Latin a, b, c, d or e "
                                  "(not upper case, not Cyrillic, no spaces)"));
        }
    }

    void checkRegister() {
        readTable(QStringLiteral("user1"), QStringLiteral("the user register"), UserRegisterFields(),
                  QStringLiteral("user1.csv"));
    }

    // The fields of a table, without reading its rows (the results may be many).
    QStringList fieldsOf(const QString& table) const {
        if (server_) return serverColumns(database_, table);
        ::Connection connection;
        connection.setConnectionString(database_);
        connection.open();
        const auto query = connection.run(QStringLiteral("SELECT * FROM %1 WHERE 0 = 1").arg(quoteIdentifier(table)));
        QStringList fields;
        for (int i = 0; i < query->record().count(); ++i) fields << query->record().fieldName(i);
        return fields;
    }

    // The table the textbooks keep finished tests in: its absence is only said; a table the textbooks
    // cannot add a row to would be an error box at every finished test.
    void checkResults() {
        const QString name = ResultsTableName();
        const QString where = tableWhere(name);
        const QString upgrade = QStringLiteral("coursedb upgrade %1").arg(given_ || server_ ? shown_ : database_);
        try {
            // The catalogue, not the table list: on a server the list leaves out a table the user has no
            // grant on, and that table is there, refusing every finished test.
            ::Connection connection;
            connection.setConnectionString(database_);
            connection.open();
            if (!ResultsTableExists(connection)) {
                notes_ << Problem{where, QStringLiteral("missing: test results will not be kept"),
                                  QStringLiteral("coursedb upgrade adds the table: %1").arg(upgrade)};
                return;
            }
            if (server_) {
                const auto role =
                    connection.run(QStringLiteral("SELECT current_user, has_table_privilege(?, 'INSERT')"), {name});
                if (role->next() && !role->value(1).toBool()) {
                    report(where,
                           QStringLiteral("%1 may not add rows to it: each finished test would be an error box")
                               .arg(role->value(0).toString()),
                           QStringLiteral("as the owner of the tables: GRANT INSERT ON results TO %1")
                               .arg(quoteIdentifier(role->value(0).toString())));
                    return;
                }
            }
            const QStringList fields = fieldsOf(name);
            QStringList missing;
            for (const ResultsColumn& column : ResultsColumns())
                if (!fields.contains(column.name, Qt::CaseInsensitive)) missing << column.name;
            if (!missing.isEmpty())
                report(where,
                       QStringLiteral("no field %1 (its fields: %2): the textbooks cannot store a finished test there")
                           .arg(list(missing), fields.join(QStringLiteral(", "))),
                       QStringLiteral("rename the table to keep what it holds (ALTER TABLE results RENAME TO "
                                      "results_old), then make it anew: %1")
                           .arg(upgrade));
        } catch (const platform::Failure& failure) {
            report(where, QStringLiteral("cannot be read: %1").arg(failure.message()),
                   QStringLiteral("rename the table to keep what it holds, then make it anew: %1").arg(upgrade));
        }
    }
};

}  // namespace

QList<Problem> CheckContentRoot(const QString& root, const QString& database, QList<Problem>* notes) {
    return Checker(root, database).run(notes);
}

}  // namespace coursedb
