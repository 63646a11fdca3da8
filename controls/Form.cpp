#include "Form.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPointer>

#include "platform/Desktop.h"
#include "platform/Handler.h"

namespace {
QPointer<const QWidget>& anchorWindow() {
    static QPointer<const QWidget> anchor;
    return anchor;
}
}  // namespace

TForm::TForm(QWidget* parent) : QWidget(parent) {}

void TForm::setAnchor(const QWidget* anchor) { anchorWindow() = anchor; }

QPoint centredOver(const QRect& over, const QSize& window, const QPoint& desktopTopLeft) {
    const int left = over.left() + (over.width() - window.width()) / 2;
    const int top = over.top() + (over.height() - window.height()) / 2;
    return QPoint(qMax(left, desktopTopLeft.x()), qMax(top, desktopTopLeft.y()));
}

int tagOf(const QObject* object) { return object ? object->property("tag").toInt() : 0; }

void TForm::placeAtFirstShow() {
    if (placed_) return;
    placed_ = true;
    const QRect screen = platform::desktop().screenGeometry();
    switch (placement_) {
        case Placement::None:
            return;
        case Placement::CentreOnScreen:
            move(centredOver(screen, frameGeometry().size(), screen.topLeft()));
            return;
        case Placement::CentreOverAnchor:
            if (const QWidget* anchor = anchorWindow())
                move(centredOver(anchor->frameGeometry(), frameGeometry().size(), screen.topLeft()));
            return;
    }
}

void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    placeAtFirstShow();
    // A window the program shows takes the keyboard at once, also where no window manager would
    // give it (a kiosk session): the user's next key is meant for it.
    activateWindow();
    platform::runGuarded([this] { FormShow(); });
}

void TForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return;
    platform::runGuarded([this] { FormHide(); });
}

void TForm::closeEvent(QCloseEvent* event) {
    platform::runGuarded([this] { FormClose(); });
    event->accept();
}

void TForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    platform::runGuarded([this] { FormResize(); });
}

void TForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) TranslateTexts();
    QWidget::changeEvent(event);
}
