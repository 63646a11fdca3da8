#include "DBText.h"

#include <QMouseEvent>

DBText::DBText(QWidget* parent) : QLabel(parent) {
    // Field texts are shown as stored: a "<" in an answer must not turn it into markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAutoFillBackground(false);  // transparent: the window shows through
    connect(&link_, &DBFieldLink::changed, this, &QLabel::setText);
}

void DBText::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}
