// Page and section addresses for pseudo-random page names (fixed seed): none crashes and none leaves
// its language's directory.
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

}  // namespace

class TestAddressFuzz : public QObject {
    Q_OBJECT

private slots:
    void randomPageNames_data() {
        QTest::addColumn<QString>("root");
        QTest::newRow("plain root") << "/srv/course";
        QTest::newRow("spaces and Cyrillic") << "/tmp/Мой курс/учебник 1";
        QTest::newRow("relative root") << ".";
        QTest::newRow("root with ..") << "/srv/a/../course";
        QTest::newRow("file system root") << "/";
    }
    void randomPageNames() {
        QFETCH(QString, root);
        QRandomGenerator random(1210);
        int tried = 0;
        for (int i = 0; i < 4000; ++i) {
            const QString name = randomName(random);
            const Language language = random.bounded(2) ? Language::Russian : Language::Kazakh;
            const int section = int(random.bounded(-2, 5));
            const QString problem = checkAddress(root, language, name, section);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("page name «%1»: %2").arg(name, problem)));
            ++tried;
        }
        qInfo("%d page names tried", tried);
    }
};

QTEST_GUILESS_MAIN(TestAddressFuzz)
#include "tst_addressfuzz.moc"
