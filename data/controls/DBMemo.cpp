#include "DBMemo.h"

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    connect(&link_, &DBFieldLink::changed, this, [this](const QString& text) {
        if (text != toPlainText()) setPlainText(text);
    });
}
