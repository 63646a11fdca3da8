#include "StatusBar.h"

#include <QPainter>
#include <QStyleOptionFrame>

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

QString StatusBar::panelLayout() const {
    QStringList parts;
    for (const Panel& panel : panels_)
        parts << QStringLiteral("%1:%2:%3")
                     .arg(QString::number(panel.width),
                          panel.bevel == Bevel::Lowered ? QStringLiteral("sunken") : QString(), panel.text);
    return parts.join(u',');
}

void StatusBar::setPanelLayout(const QString& layout) {
    QList<Panel> panels;
    for (const QString& part : layout.split(u',', Qt::SkipEmptyParts)) {
        const QStringList fields = part.trimmed().split(u':');
        Panel panel;
        panel.width = fields.value(0).toInt();
        panel.bevel = fields.value(1) == u"sunken" ? Bevel::Lowered : Bevel::None;
        panel.text = fields.value(2);
        panels.append(panel);
    }
    panels_ = panels;
    update();
}

QString StatusBar::panelText(int index) const { return panels_.value(index).text; }

void StatusBar::setPanelText(int index, const QString& text) {
    if (index < 0 || index >= panels_.size()) return;
    panels_[index].text = text;
    update(panelRect(index));
}

int StatusBar::panelWidth(int index) const { return panels_.value(index).width; }

void StatusBar::setPanelWidth(int index, int width) {
    if (index < 0 || index >= panels_.size()) return;
    panels_[index].width = width;
    update();
}

QRect StatusBar::panelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index; ++i) left += panels_[i].width;
    const int width = index == panels_.size() - 1 ? qMax(0, this->width() - left) : panels_[index].width;
    return QRect(left, 0, width, height()).intersected(rect());
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < panels_.size(); ++i) {
        const QRect r = panelRect(i);
        if (r.isEmpty()) continue;
        // Panels are separated by a two-pixel gap, as on the classic desktop.
        const QRect face = r.adjusted(0, 0, -2, 0);
        if (panels_[i].bevel == Bevel::Lowered) {
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(face.topLeft(), face.topRight());
            painter.drawLine(face.topLeft(), face.bottomLeft());
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(face.bottomLeft(), face.bottomRight());
            painter.drawLine(face.topRight(), face.bottomRight());
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(face.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, panels_[i].text);
    }
}

void StatusBar::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}
