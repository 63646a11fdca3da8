// Every fixed text of every window fits its control in the fonts the program uses: labels, buttons,
// status bar panels, group box captions, grid column titles, chapter-tree labels and the title page.
// A text fits when its letters do: its advance across, and its ink up and down (several controls
// are less tall than their font's line spacing, as they were designed, while the letters fit).
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/Unit1.h"
#include "content/Unit2.h"
#include "content/Unit8.h"
#include "controls/StatusBar.h"
#include "data/Unit6.h"
#include "data/controls/DBText.h"
#include "testing/Unit4.h"
#include "testing/Unit7.h"
#include "tests/common/Fixture.h"
#include "tests/common/WindowSetGuard.h"

using fixture::CourseRoot;

namespace {

// Controls whose text the windows themselves cover or cut, which no font can mend.
const QStringList kCoveredByDesign{
    QStringLiteral("TForm8/Label1"),  // beneath GroupBox1, which covers all of it but its top two rows
};

class FitCheck {
public:
    explicit FitCheck(QWidget* window) : window_(window) {}

    // The text in the font, within the room.
    void text(const QWidget* control, const QString& what, const QString& text, const QFont& font, const QRect& room) {
        if (text.isEmpty()) return;
        ++checked_;
        const QFontMetrics metrics(font);
        const int across = metrics.horizontalAdvance(text);
        const int ink = metrics.tightBoundingRect(text).height();
        if (across > room.width() || ink > room.height())
            misfits_ << QStringLiteral("%1 %2 «%3» in %4 %5px: %6 px across in %7, %8 px of ink in %9")
                            .arg(name(control), what, text, QFontInfo(font).family())
                            .arg(QFontInfo(font).pixelSize())
                            .arg(across)
                            .arg(room.width())
                            .arg(ink)
                            .arg(room.height());
    }

    void label(const QLabel* label) {
        QRect room =
            label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
        if (label->wordWrap()) {
            ++checked_;
            const QRect needed =
                label->fontMetrics().boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, label->text());
            if (needed.width() > room.width() || needed.height() > room.height())
                misfits_ << QStringLiteral("%1 «%2»: wraps to %3 x %4 in %5 x %6")
                                .arg(name(label), label->text())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height());
        } else {
            text(label, QStringLiteral("label"), label->text(), label->font(), room);
        }
        // A label sized to its text must not run past its window's edge either.
        inside(label);
    }

    void toolButton(const QToolButton* button, const QString& caption) {
        QStyleOptionToolButton option;
        option.initFrom(button);
        option.rect = button->rect();
        option.subControls = QStyle::SC_ToolButton;
        option.toolButtonStyle = button->toolButtonStyle();
        const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        QRect room = button->style()
                         ->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButton, button)
                         .adjusted(frame, frame, -frame, -frame);
        if (!button->icon().isNull() && button->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
            room.setLeft(room.left() + button->iconSize().width() + 4);  // the picture and its gap
        text(button, QStringLiteral("button"), caption, button->font(), room);
    }

    void pushButton(const QPushButton* button) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect();
        option.text = button->text();
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        text(button, QStringLiteral("button"), button->text(), button->font(), room);
    }

    void groupBox(const QGroupBox* box) {
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.rect = box->rect();
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect room = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        text(box, QStringLiteral("caption"), box->title(), box->font(), room.intersected(box->rect()));
    }

    void statusBar(const StatusBar* bar) {
        for (int i = 0; i < bar->panelCount(); ++i)
            text(bar, QStringLiteral("panel %1").arg(i), bar->panelText(i), bar->font(), bar->panelTextRect(i));
    }

    void header(const QHeaderView* header) {
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int i = 0; i < header->count(); ++i) {
            const QString title = header->model()->headerData(i, header->orientation()).toString();
            const QRect room(0, 0, header->sectionSize(i) - 2 * margin, header->height() - 2 * margin);
            text(header, QStringLiteral("column title"), title, header->font(), room);
        }
    }

    void tree(QTreeWidget* tree) {
        tree->expandAll();
        // The picture and the text each have the item view's margins on both sides.
        const int margin = tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
        const int picture = tree->iconSize().isValid() ? tree->iconSize().width()
                                                       : tree->style()->pixelMetric(QStyle::PM_SmallIconSize);
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const QRect room = tree->visualItemRect(*it).adjusted(picture + 3 * margin, 0, -margin, 0);
            text(tree, QStringLiteral("tree label"), (*it)->text(0), tree->font(), room);
        }
        tree->collapseAll();
    }

    // A title page: every line stays one line, and all of them show without scrolling.
    void titlePage(const QTextEdit* memo) {
        ++checked_;
        const QTextDocument* page = memo->document();
        for (QTextBlock block = page->begin(); block.isValid(); block = block.next())
            if (block.layout()->lineCount() > 1)
                misfits_ << QStringLiteral("%1 line «%2» wraps").arg(name(memo), block.text());
        if (page->size().height() > memo->viewport()->height())
            misfits_ << QStringLiteral("%1: the page is %2 px high in %3")
                            .arg(name(memo))
                            .arg(page->size().height())
                            .arg(memo->viewport()->height());
    }

    // Every control of the window with a fixed text.
    void window() {
        const QString form = QString::fromLatin1(window_->metaObject()->className());
        for (QWidget* control : window_->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(window_) || kCoveredByDesign.contains(form + u'/' + control->objectName()))
                continue;
            if (auto* label = qobject_cast<QLabel*>(control); label && !qobject_cast<DBText*>(label)) {
                if (!label->text().isEmpty()) this->label(label);
            } else if (auto* button = qobject_cast<QToolButton*>(control)) {
                toolButton(button, button->text());
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                pushButton(button);
            } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
                groupBox(box);
            } else if (auto* bar = qobject_cast<StatusBar*>(control)) {
                statusBar(bar);
            } else if (auto* tree = qobject_cast<QTreeWidget*>(control)) {
                this->tree(tree);
            } else if (auto* header = qobject_cast<QHeaderView*>(control); header && !header->isHidden()) {
                this->header(header);
            } else if (auto* memo = qobject_cast<QTextEdit*>(control); memo && memo->isReadOnly()) {
                titlePage(memo);
            }
        }
    }

    int checked() const { return checked_; }
    const QStringList& misfits() const { return misfits_; }

private:
    QString name(const QWidget* control) const {
        return QString::fromLatin1(window_->metaObject()->className()) + u'.' + control->objectName();
    }

    void inside(const QWidget* control) {
        const QRect inWindow(control->mapTo(window_, QPoint(0, 0)), control->size());
        if (!window_->rect().contains(inWindow))
            misfits_ << QStringLiteral("%1 runs past its window: %2,%3 %4 x %5 in %6 x %7")
                            .arg(name(control))
                            .arg(inWindow.x())
                            .arg(inWindow.y())
                            .arg(inWindow.width())
                            .arg(inWindow.height())
                            .arg(window_->width())
                            .arg(window_->height());
    }

    QWidget* window_;
    int checked_ = 0;
    QStringList misfits_;
};

}  // namespace

class TestTextsFit : public QObject {
    Q_OBJECT

private slots:
    // The faces that stand in for the fonts the windows name: a missing font package would leave
    // the font database's own pick, whose widths nobody measured.
    void standInFaces_data() {
        QTest::addColumn<QString>("named");  // empty: the font of a window that names none
        QTest::addColumn<QString>("face");
        QTest::newRow("MS Sans Serif") << "MS Sans Serif"
                                       << "DejaVu Sans Condensed";
        QTest::newRow("Tahoma") << "Tahoma"
                                << "Tahoma";
        QTest::newRow("Times New Roman") << "Times New Roman"
                                         << "Liberation Serif";
        QTest::newRow("Arial Rounded MT Bold") << "Arial Rounded MT Bold"
                                               << "Liberation Sans";
        QTest::newRow("none named: MS Sans Serif, 11 px") << ""
                                                          << "DejaVu Sans Condensed";
    }
    void standInFaces() {
        QFETCH(QString, named);
        QFETCH(QString, face);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QFont font = QApplication::font();
        if (named.isEmpty()) {
            QCOMPARE(font.pixelSize(), 11);
        } else {
            font.setFamily(named);
            font.setPixelSize(12);
        }
        QCOMPARE(QFontInfo(font).family(), face);
    }

    void everyFixedTextFitsItsControl_data() {
        QTest::addColumn<int>("form");
        for (int form : {1, 2, 4, 6, 7, 8}) QTest::newRow(qPrintable(QStringLiteral("Form%1").arg(form))) << form;
    }
    void everyFixedTextFitsItsControl() {
        QFETCH(int, form);
        CourseRoot root;
        WindowSetGuard windows(root.path());
        QWidget* const forms[] = {nullptr, Form1, Form2, nullptr, Form4, nullptr, Form6, Form7, Form8};
        QWidget* window = forms[form];
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        FitCheck check(window);
        check.window();
        if (window == Form4) {
            // The texts these controls take during a test: the widest counter, the Kazakh finish.
            check.text(Form4->Label1, QStringLiteral("counter"), QStringLiteral("20 из 20"), Form4->Label1->font(),
                       Form4->Label1->contentsRect());
            check.toolButton(Form4->SpeedButton20, QStringLiteral("Тесті аяќтау"));
        }
        QVERIFY(check.checked() > 0);
        QVERIFY2(check.misfits().isEmpty(), qPrintable(u'\n' + check.misfits().join(u'\n')));
        QVERIFY(windows.desktop.errors.isEmpty());
    }
};

QTEST_MAIN(TestTextsFit)
#include "tst_textsfit.moc"
