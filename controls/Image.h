#pragma once

#include <QLabel>
#include <QMouseEvent>

// A picture control: shows an image at its own size and tells when a mouse button is pressed on it.
class Image : public QLabel {
    Q_OBJECT

public:
    explicit Image(QWidget* parent = nullptr) : QLabel(parent) {}

    // Shows the picture and takes its size.
    void setPicture(const QImage& picture) {
        setPixmap(QPixmap::fromImage(picture));
        resize(picture.size());
    }

signals:
    void mouseDown();

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        emit mouseDown();
    }
};
