// Every text the program's sources give to tr() has a Russian and a Kazakh translation that keeps
// its placeholders, and the catalogues built into the program give those translations. lupdate
// reads the sources afresh, so a text added without its translations is found here.
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

#include "translations/Translations.h"

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    bool finished = false;
};

QList<Message> readCatalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.append({context, {}, {}, false});
        } else if (xml.name() == u"source" && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.isEmpty()) {
            messages.last().finished = xml.attributes().value(QStringLiteral("type")).isEmpty();
            messages.last().translation = xml.readElementText();
        }
    }
    return messages;
}

// The placeholders of a text: %1, %2 ...
QSet<QString> placeholders(const QString& text) {
    static const QRegularExpression mark(QStringLiteral("%\\d+"));
    QSet<QString> found;
    for (const auto& match : mark.globalMatch(text)) found.insert(match.captured());
    return found;
}

bool isRussianAlready(const QString& text) {
    static const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
    return cyrillic.match(text).hasMatch();
}

}  // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void everyTextTranslated_data() {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QLocale::Language>("language");
        QTest::newRow("ru") << "textbook_ru.ts" << QLocale::Russian;
        QTest::newRow("kk") << "textbook_kk.ts" << QLocale::Kazakh;
    }
    void everyTextTranslated() {
        QFETCH(QString, catalogue);
        QFETCH(QLocale::Language, language);
        // The catalogue as committed, brought up to date with the sources as lupdate does.
        QTemporaryDir work;
        const QString path = work.filePath(catalogue);
        QVERIFY(QFile::copy(QStringLiteral(TEXTBOOK_SOURCE_DIR "/translations/") + catalogue, path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::MergedChannels);
        lupdate.start(QStringLiteral(LUPDATE),
                      QStringLiteral(LUPDATE_OPTIONS).split(u' ', Qt::SkipEmptyParts) +
                          QStringList{QStringLiteral("@" TRANSLATED_SOURCES_LIST), QStringLiteral("-ts"), path});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
                 lupdate.readAll().constData());

        const QList<Message> messages = readCatalogue(path);
        QVERIFY(messages.size() >= 10);
        QStringList missing;
        QStringList placeholdersLost;
        QList<Message> translated;
        for (const Message& m : messages) {
            const QString where = m.context + QStringLiteral(": ") + m.source;
            // A text written in Russian needs no Russian translation; Kazakh needs every one.
            if (!m.finished || m.translation.isEmpty()) {
                if (!(language == QLocale::Russian && isRussianAlready(m.source))) missing << where;
                continue;
            }
            if (placeholders(m.translation) != placeholders(m.source)) placeholdersLost << where;
            translated << m;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("without translation:\n") + missing.join(u'\n')));
        QVERIFY2(placeholdersLost.isEmpty(),
                 qPrintable(QStringLiteral("placeholders not kept:\n") + placeholdersLost.join(u'\n')));

        // The program's own catalogue gives these translations.
        translations::useLanguage(language);
        for (const Message& m : translated)
            QCOMPARE(QCoreApplication::translate(m.context.toUtf8().constData(), m.source.toUtf8().constData()),
                     m.translation);
        translations::dropLanguage();
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
