#include "StatusBar.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFrame>

namespace {

// One panel of a status bar as a screen reader sees it: a static text.
class PanelAccessible final : public QAccessibleInterface {
public:
    PanelAccessible(StatusBar* bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return bar_ && index_ < bar_->panelCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && bar_ ? bar_->panelText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!bar_) return QRect();
        const QRect panel = bar_->panelRect(index_);
        return QRect(bar_->mapToGlobal(panel.topLeft()), panel.size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !bar_ || !bar_->isVisible();
        return state;
    }

private:
    QPointer<StatusBar> bar_;
    int index_;
};

// A status bar reads as what its panels say ("Текущий пользователь, Айгерим, Текущая глава, Лекция"),
// with one static text per panel beneath it.
class StatusBarAccessible final : public QAccessibleWidget {
public:
    explicit StatusBarAccessible(StatusBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}
    ~StatusBarAccessible() override {
        for (const QAccessible::Id id : std::as_const(panels_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->panelCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto panel = panels_.constFind(index);
        if (panel == panels_.constEnd())
            panel = panels_.insert(index, QAccessible::registerAccessibleInterface(new PanelAccessible(bar(), index)));
        return QAccessible::accessibleInterface(*panel);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto panel = panels_.constBegin(); panel != panels_.constEnd(); ++panel)
            if (QAccessible::accessibleInterface(panel.value()) == child) return panel.key();
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !widget()->accessibleName().isEmpty()) return QAccessibleWidget::text(t);
        QStringList said;
        for (int i = 0; i < bar()->panelCount(); ++i)
            if (!bar()->panelText(i).trimmed().isEmpty()) said << bar()->panelText(i);
        return said.join(QStringLiteral(", "));
    }

private:
    StatusBar* bar() const { return static_cast<StatusBar*>(widget()); }

    mutable QHash<int, QAccessible::Id> panels_;
};

QAccessibleInterface* AccessibleStatusBar(const QString& className, QObject* object) {
    if (className == QLatin1String("StatusBar") && qobject_cast<StatusBar*>(object))
        return new StatusBarAccessible(static_cast<StatusBar*>(object));
    return nullptr;
}

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    static const bool readable = (QAccessible::installFactory(AccessibleStatusBar), true);
    Q_UNUSED(readable);
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
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        changed.setChild(index);
        QAccessible::updateAccessibility(&changed);
    }
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

namespace {
// Panels are separated by a two-pixel gap, as on the classic desktop.
QRect panelFace(const QRect& panel) { return panel.adjusted(0, 0, -2, 0); }
}  // namespace

QRect StatusBar::panelTextRect(int index) const { return panelFace(panelRect(index)).adjusted(3, 0, -2, 0); }

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < panels_.size(); ++i) {
        const QRect r = panelRect(i);
        if (r.isEmpty()) continue;
        const QRect face = panelFace(r);
        if (panels_[i].bevel == Bevel::Lowered) {
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(face.topLeft(), face.topRight());
            painter.drawLine(face.topLeft(), face.bottomLeft());
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(face.bottomLeft(), face.bottomRight());
            painter.drawLine(face.topRight(), face.bottomRight());
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(panelTextRect(i), Qt::AlignVCenter | Qt::AlignLeft, panels_[i].text);
    }
}

void StatusBar::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

void StatusBar::mouseDoubleClickEvent(QMouseEvent* event) {
    int panel = -1;
    for (int i = 0; i < panelCount() && panel < 0; ++i)
        if (panelRect(i).contains(event->position().toPoint())) panel = i;
    emit panelDoubleClicked(panel);
    QWidget::mouseDoubleClickEvent(event);
}
