// Page and section addresses for the course's own page names and for pseudo-random ones (fixed
// seed): none crashes, none leaves its language's directory, and every name without "/" or NUL
// (and other than "." and "..") names its own file there.
#include <QRandomGenerator>
#include <QtTest>

#include "AddressCheck.h"

namespace {

// Pieces page names are made of: the dangerous ones ("..", "/", "#", "%", NUL) among ordinary letters.
const QStringList kPieces{
    QStringLiteral(".."),     QStringLiteral("."),       QStringLiteral("/"),     QStringLiteral("\\"),
    QStringLiteral("#"),      QStringLiteral("#a1"),     QStringLiteral("%"),     QStringLiteral("%2F"),
    QStringLiteral("%2e%2e"), QStringLiteral("?"),       QStringLiteral(" "),     QStringLiteral("~"),
    QStringLiteral("Неделя"), QStringLiteral("Әдебиет"), QStringLiteral("🎓"),     QStringLiteral(".htm"),
    QStringLiteral("web_kz"), QStringLiteral("web"),     QStringLiteral("file:"), QString(QChar(u'\0')),
    QStringLiteral("\n"),     QStringLiteral("x")};

QString randomName(QRandomGenerator& random) {
    QString name;
    const int pieces = int(random.bounded(6));
    for (int i = 0; i < pieces; ++i) {
        if (random.bounded(4) == 0)
            name += QChar(char16_t(random.bounded(1, 0xD7FF)));
        else
            name += kPieces[int(random.bounded(qsizetype(kPieces.size())))];
    }
    return name;
}

const QStringList kRoots{QStringLiteral("/srv/course"), QStringLiteral("/tmp/Мой курс/учебник 1"), QStringLiteral("."),
                         QStringLiteral("/srv/a/../course"), QStringLiteral("/")};

}  // namespace

class TestAddressFuzz : public QObject {
    Q_OBJECT

private slots:
    // The labels pages are named after, in both languages, and names a course team or a student
    // editing a label could give: each is a page of its own in the language's directory, whole and
    // by section, under any content root.
    void ordinaryPageNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("kazakh");
        for (const char* name : {"Введение", "1 Неделя", "9 Неделя", "10 Неделя", "15 Неделя", "Литература"})
            QTest::newRow(name) << QString::fromUtf8(name) << false;
        for (const char* name : {"Кіріспе", "1 Апта", "8 Тарау", "15 Апта", "Јдебиет", "Әдебиет"})
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        QTest::newRow("doubled space") << "Лабораторная  работа №3" << false;
        QTest::newRow("no space before №") << "Зертханалық жұмыс№1" << true;
        QTest::newRow("spaces around") << " Введение " << false;
        QTest::newRow("# and a dot") << "C# и .NET" << false;
        QTest::newRow("% and ?") << "Итоги 100% ?" << false;
        QTest::newRow("looks like a section") << "Глава.htm#a1" << false;
        QTest::newRow("looks like escapes") << "..%2F..%2Fsecret" << true;
        QTest::newRow("dots around") << "..Введение.." << false;
        QTest::newRow("backslash") << "Неделя\\1" << false;
        QTest::newRow("a directory's name") << "web_kz" << false;
        QTest::newRow("tilde") << "~" << true;
    }
    void ordinaryPageNames() {
        QFETCH(QString, name);
        QFETCH(bool, kazakh);
        QVERIFY(isOrdinaryPageName(name));
        for (const QString& root : kRoots)
            for (int section = 0; section <= 3; ++section) {
                const QString problem =
                    checkAddress(root, kazakh ? Language::Kazakh : Language::Russian, name, section);
                QVERIFY2(problem.isEmpty(),
                         qPrintable(QStringLiteral("root %1, section %2: %3").arg(root).arg(section).arg(problem)));
            }
    }

    void randomPageNames_data() {
        QTest::addColumn<QString>("root");
        for (const QString& root : kRoots) QTest::newRow(qPrintable(root)) << root;
    }
    void randomPageNames() {
        QFETCH(QString, root);
        QRandomGenerator random(1210);
        int tried = 0;
        int ordinary = 0;
        for (int i = 0; i < 4000; ++i) {
            const QString name = randomName(random);
            ordinary += isOrdinaryPageName(name);
            const Language language = random.bounded(2) ? Language::Russian : Language::Kazakh;
            const int section = int(random.bounded(-2, 5));
            const QString problem = checkAddress(root, language, name, section);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("page name «%1»: %2").arg(name, problem)));
            ++tried;
        }
        qInfo("%d page names tried, %d of them ordinary", tried, ordinary);
        // A rule that refused them all must not pass for want of ordinary names.
        QVERIFY2(ordinary >= tried / 4, "too few ordinary names among the pieces");
    }
};

QTEST_GUILESS_MAIN(TestAddressFuzz)
#include "tst_addressfuzz.moc"
