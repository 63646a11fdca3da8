#pragma once

#include <QList>
#include <QWidget>

// A status bar of fixed-width panels laid out left to right; the last panel takes whatever width
// is left, and a panel that does not fit is cut at the bar's right end.
class StatusBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString panelLayout READ panelLayout WRITE setPanelLayout)

public:
    enum class Bevel { None, Lowered };
    struct Panel {
        int width = 50;
        Bevel bevel = Bevel::None;
        QString text;
    };

    explicit StatusBar(QWidget* parent = nullptr);

    // Panels described as text, one "width:bevel:text" per panel ("sunken" or an empty bevel),
    // separated by commas; the window descriptions set them this way.
    QString panelLayout() const;
    void setPanelLayout(const QString& layout);

    int panelCount() const { return int(panels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    // The rectangle a panel is drawn in, cut to the bar.
    QRect panelRect(int index) const;
    // Where a panel's text goes: the panel less the gap to the next panel and the text's margins.
    QRect panelTextRect(int index) const;

signals:
    void mouseMoved();
    // A double-click on a panel (its index) or beside the panels (-1).
    void panelDoubleClicked(int panel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QList<Panel> panels_;
};
