#include "PageFind.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The bar's texts in the viewer's language: the Russian ones are the program's own texts, the
// Kazakh viewer's are fixed like its menu.
struct FindTexts {
    QString placeholder, previous, next, close;
};

FindTexts findTexts(Language language) {
    if (language == Language::Kazakh)
        return {QStringLiteral("Беттен іздеу"), QStringLiteral("Алдыңғы (Shift+F3)"), QStringLiteral("Келесі (F3)"),
                QStringLiteral("Жабу (Esc)")};
    return {PageFind::tr("Найти на странице"), PageFind::tr("Предыдущее (Shift+F3)"), PageFind::tr("Следующее (F3)"),
            PageFind::tr("Закрыть (Esc)")};
}

// "n из m" (the n-th of m matches); the Kazakh "m ішінен n" names the whole first.
QString countText(Language language, int n, int m) {
    return language == Language::Kazakh ? QStringLiteral("%1 ішінен %2").arg(m).arg(n)
                                        : PageFind::tr("%1 из %2").arg(n).arg(m);
}

}  // namespace

PageFind::PageFind(QWidget* window, QWebEngineView* view, Language language)
    : QObject(window), window_(window), view_(view), language_(language) {
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), window, [this] { open(); });
    new QShortcut(QKeySequence(Qt::Key_F3), window, [this] { next(); });
    new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), window, [this] { previous(); });
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), window, [this] { close(); });
    escape_->setEnabled(false);
}

void PageFind::attach(QWebEnginePage* page) {
    page_ = page;
    connect(page_, &QWebEnginePage::findTextFinished, this, &PageFind::showResult);
}

bool PageFind::isOpen() const { return bar_ && !bar_->isHidden(); }

void PageFind::makeBar() {
    const FindTexts texts = findTexts(language_);
    bar_ = new QWidget(view_->parentWidget());
    bar_->setObjectName(QStringLiteral("FindBar"));
    bar_->setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(bar_);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    text_ = new QLineEdit(bar_);
    text_->setObjectName(QStringLiteral("FindText"));
    text_->setPlaceholderText(texts.placeholder);
    text_->setFixedWidth(260);
    text_->installEventFilter(this);
    connect(text_, &QLineEdit::textChanged, this, [this] { find(false); });
    auto button = [this](const QString& tip) {
        auto* b = new QToolButton(bar_);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);  // the keyboard stays in the text
        b->setToolTip(tip);
        return b;
    };
    QToolButton* up = button(texts.previous);
    up->setArrowType(Qt::UpArrow);
    connect(up, &QToolButton::clicked, this, &PageFind::previous);
    QToolButton* down = button(texts.next);
    down->setArrowType(Qt::DownArrow);
    connect(down, &QToolButton::clicked, this, &PageFind::next);
    count_ = new QLabel(bar_);
    count_->setObjectName(QStringLiteral("FindCount"));
    QToolButton* shut = button(texts.close);
    shut->setText(QStringLiteral("×"));
    connect(shut, &QToolButton::clicked, this, &PageFind::close);
    layout->addWidget(text_);
    layout->addWidget(up);
    layout->addWidget(down);
    layout->addSpacing(6);
    layout->addWidget(count_);
    layout->addStretch();
    layout->addWidget(shut);
    // The pane is sized by the viewer's own rule; the bar follows it.
    view_->installEventFilter(this);
}

void PageFind::placeBar() {
    const QRect pane = view_->geometry();
    const int height = bar_->sizeHint().height();
    // The pane may reach below the window's client area; the bar stays where it can be seen.
    const int bottom = qMin(pane.bottom(), view_->parentWidget()->height() - 1);
    bar_->setGeometry(pane.left(), bottom - height + 1, pane.width(), height);
}

void PageFind::open() {
    if (!bar_) makeBar();
    const bool wasOpen = isOpen();
    placeBar();
    bar_->show();
    bar_->raise();
    escape_->setEnabled(true);
    text_->setFocus();
    text_->selectAll();
    if (!wasOpen && !text_->text().isEmpty()) find(false);
}

void PageFind::open(const QString& text) {
    open();
    if (text_->text() == text)
        find(false);
    else
        text_->setText(text);
    text_->selectAll();
}

void PageFind::next() {
    if (isOpen())
        find(false);
    else
        open();
}

void PageFind::previous() {
    if (isOpen())
        find(true);
    else
        open();
}

void PageFind::close() {
    if (!isOpen()) return;
    bar_->hide();
    escape_->setEnabled(false);
    count_->clear();
    // An empty text takes the marks away; the match last shown stays selected, as in any browser.
    if (page_) page_->findText(QString());
    view_->setFocus();
}

void PageFind::find(bool backward) {
    if (!page_ || !isOpen()) return;
    const QString text = text_->text();
    if (text.isEmpty()) {
        count_->clear();
        text_->setStyleSheet(QString());
        page_->findText(QString());
        return;
    }
    page_->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void PageFind::showResult(const QWebEngineFindTextResult& result) {
    if (!isOpen() || text_->text().isEmpty()) return;
    count_->setText(countText(language_, result.activeMatch(), result.numberOfMatches()));
    // A text that is nowhere in the page shows so in the field, as in a browser.
    text_->setStyleSheet(result.numberOfMatches() ? QString() : QStringLiteral("background: #ffdede"));
}

bool PageFind::pageLoaded(bool ok) {
    if (!ok || !isOpen() || text_->text().isEmpty()) return false;
    find(false);
    return true;
}

bool PageFind::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move) && isOpen()) placeBar();
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
