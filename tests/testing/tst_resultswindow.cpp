// The results window: its look, printing the results text line by line, the mail message, and
// the error box when there is no printer.
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <QtTest>

#include "TestRun.h"
#include "platform/Desktop.h"
#include "platform/QtDesktop.h"
#include "tests/common/ForwardingDesktop.h"
#include "tests/common/WindowSetGuard.h"

using namespace testrun;
using fixture::CourseRoot;
using platform::RecordingDesktop;

namespace {

// Prints into a PDF file through the real printer code; every other request is recorded by the
// recording desktop it stands in front of.
class PdfDesktop final : public ForwardingDesktop {
public:
    PdfDesktop(RecordingDesktop& recording, QString fileName)
        : ForwardingDesktop(recording), fileName_(std::move(fileName)) {}

    std::unique_ptr<platform::PrintJob> beginPrint(const QString& documentName) override {
        return platform::beginPdfPrint(fileName_, documentName);
    }

private:
    QString fileName_;
};

struct PdfLine {
    double left;
    double top;
    QString text;
};

// The text lines of a PDF's first page with their boxes in points, as pdftotext finds them.
QList<PdfLine> PdfLines(const QString& fileName) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox-layout"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                     QStringLiteral("1"), fileName, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) return {};
    QList<PdfLine> lines;
    QXmlStreamReader xml(pdftotext.readAllStandardOutput());
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == u"line") {
            lines.append({xml.attributes().value(QStringLiteral("xMin")).toDouble(),
                          xml.attributes().value(QStringLiteral("yMin")).toDouble(),
                          {}});
        } else if (xml.name() == u"word" && !lines.isEmpty()) {
            QString& text = lines.last().text;
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + xml.readElementText();
        }
    }
    return lines;
}

// A course with Russian chosen and a results text on show.
struct Results {
    explicit Results(const QStringList& lines) : windows(root.path()) {
        ChooseLanguage(Language::Russian);
        Form7->ShowResults(QStringLiteral("Итоги теста"), lines);
    }
    CourseRoot root;
    WindowSetGuard windows;
};

const QStringList kFourLines{QStringLiteral("Студент - Айгерим"), QStringLiteral("В тестировании набрали - 17 баллов"),
                             QStringLiteral("Неправильно ответили на следующие вопросы , 2"),
                             QStringLiteral("Не ответили на следующие вопросы , 5, 19")};

}  // namespace

class TestResultsWindow : public QObject {
    Q_OBJECT

private slots:
    void layout() {
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QCOMPARE(Form7->windowTitle(), QStringLiteral("Итоги теста"));
        ChooseLanguage(Language::Russian);
        Form7->ShowResults(QStringLiteral("Тесті жиынылары"), {QStringLiteral("x")});
        QCOMPARE(Form7->windowTitle(), QStringLiteral("Тесті жиынылары"));
        QVERIFY(Form7->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(Form7->size(), QSize(377, 368));
        // Centred over the language window (638 x 452 at 364, 158 on the recording desktop).
        QCOMPARE(Form7->pos(), QPoint(494, 200));

        QCOMPARE(Form7->Memo1->size(), QSize(361, 305));
        QVERIFY(Form7->Memo1->x() < 10 && Form7->Memo1->y() < 10);
        QVERIFY(Form7->Memo1->isReadOnly());
        QCOMPARE(Form7->Button1->text(), QStringLiteral("Отправить"));
        QCOMPARE(Form7->Button2->text(), QStringLiteral("Печать"));
        QCOMPARE(Form7->BitBtn1->text(), QStringLiteral("Ok"));
        QCOMPARE(Form7->Button1->size(), QSize(75, 25));
        QCOMPARE(Form7->Button2->size(), QSize(75, 25));
        QCOMPARE(Form7->BitBtn1->size(), QSize(155, 25));
        // Left to right along the bottom, below the memo and inside the window.
        QVERIFY(Form7->Button1->geometry().right() < Form7->Button2->x());
        QVERIFY(Form7->Button2->geometry().right() < Form7->BitBtn1->x());
        for (QWidget* button : {Form7->Button1, Form7->Button2, Form7->BitBtn1}) {
            QVERIFY(button->y() > Form7->Memo1->geometry().bottom());
            QVERIFY(QRect(QPoint(), Form7->size()).contains(button->geometry()));
        }

        // Tab order: the memo, "Ok", "Отправить", "Печать", and round again.
        QList<QWidget*> order;
        QWidget* w = Form7->Memo1;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(Form7)) order << w;
            w = w->nextInFocusChain();
        } while (w != Form7->Memo1);
        QCOMPARE(order, (QList<QWidget*>{Form7->Memo1, Form7->BitBtn1, Form7->Button1, Form7->Button2}));
    }

    // Line i of the memo at x = 100, y = 100 * i, exactly as the memo holds it, trailing blanks too.
    void printing_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("three lines") << QStringList{"Студент - Айгерим", "В тестировании набрали - 20 баллов",
                                                    "Неправильно ответили на следующие вопросы "};
        QTest::newRow("four lines") << kFourLines;
        QTest::newRow("empty memo") << QStringList();
    }
    void printing() {
        QFETCH(QStringList, lines);
        Results results(lines);
        Form7->Button2->click();
        const auto& documents = results.windows.desktop.documents;
        QCOMPARE(documents.size(), 1);
        QVERIFY(documents[0].ended);
        QCOMPARE(documents[0].lines.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            QCOMPARE(documents[0].lines[i].x, 100);
            QCOMPARE(documents[0].lines[i].y, 100 * i);
            QCOMPARE(documents[0].lines[i].text, lines[i]);
        }
        QVERIFY(Form7->isVisible());
        QCOMPARE(ResultLines(), lines);
    }

    void printingTwicePrintsTwoDocuments() {
        Results results(kFourLines);
        Form7->Button2->click();
        Form7->Button2->click();
        const auto& documents = results.windows.desktop.documents;
        QCOMPARE(documents.size(), 2);
        QVERIFY(documents[0].ended && documents[1].ended);
        QCOMPARE(documents[1].lines.size(), 4);
        QCOMPARE(documents[1].lines.last().y, 300);
        QCOMPARE(documents[1].lines.last().text, kFourLines.last());
        QCOMPARE(ResultLines(), kFourLines);
        QVERIFY(results.windows.desktop.errors.isEmpty());
    }

    void noDefaultPrinter() {
        Results results(kFourLines);
        results.windows.desktop.hasPrinter = false;
        Form7->Button2->click();
        QCOMPARE(results.windows.desktop.errors.size(), 1);
        QCOMPARE(results.windows.desktop.errors[0].caption, QStringLiteral("Электронный учебник"));
        QCOMPARE(results.windows.desktop.errors[0].text, QStringLiteral("Принтер по умолчанию не установлен."));
        QVERIFY(results.windows.desktop.documents.isEmpty());
        QVERIFY(Form7->isVisible());
        QCOMPARE(ResultLines(), kFourLines);
    }

    // The real printer code at 300 dpi: every memo line on the page, the top of its text 100 units
    // (24 points) below the one before, the first at the top edge, 100 units (24 points) from the left.
    void printsToPdf() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed to read the printout");
        Results results(kFourLines);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("results.pdf"));
        {
            PdfDesktop pdf(results.windows.desktop, file);
            Form7->Button2->click();
        }
        QVERIFY(results.windows.desktop.errors.isEmpty());
        const QList<PdfLine> printed = PdfLines(file);
        QCOMPARE(printed.size(), kFourLines.size());
        for (int i = 0; i < printed.size(); ++i) {
            QCOMPARE(printed[i].text, kFourLines[i].simplified());
            QVERIFY2(qAbs(printed[i].left - 24.0) < 1.0, qPrintable(QString::number(printed[i].left)));
            QVERIFY2(qAbs(printed[i].top - 24.0 * i) < 2.0, qPrintable(QString::number(printed[i].top)));
        }
        if (qEnvironmentVariableIsSet("KEEP_PRINTOUT")) QFile::copy(file, qEnvironmentVariable("KEEP_PRINTOUT"));
    }

    // One fixed message, whatever the results: recipient, then subject, body and attachment.
    void mailMessage() {
        Results results(kFourLines);
        Form7->Button1->click();
        Form7->ShowResults(QStringLiteral("Итоги теста"), {QStringLiteral("Студент - Борис")});
        Form7->Button1->click();
        const QList<QUrl>& opened = results.windows.desktop.opened;
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[1], opened[0]);
        const QUrl& mail = opened[0];
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        QCOMPARE(mail.path(), QStringLiteral("support@textbook.example"));
        const QList<QPair<QString, QString>> items = QUrlQuery(mail).queryItems(QUrl::FullyDecoded);
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0],
                 qMakePair(QStringLiteral("subject"), QStringLiteral("This is the subjectTextbook Error Report")));
        QCOMPARE(items[1], qMakePair(QStringLiteral("body"),
                                     QStringLiteral("This is line 1\r\nThis is line 2\r\nThis is line 3")));
        QCOMPARE(items[2], qMakePair(QStringLiteral("Attach"), QStringLiteral("c:\\file1.txt")));
        QVERIFY(results.windows.desktop.errors.isEmpty());
        QVERIFY(Form7->isVisible());
    }
};

QTEST_MAIN(TestResultsWindow)
#include "tst_resultswindow.moc"
