#include "DBNavigator.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QToolButton>

#include "data/cursor/DataSet.h"
#include "data/cursor/DataSource.h"
#include "platform/Handler.h"
#include "platform/Keyboard.h"

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct {
        Button which;
        const char* name;
        QString picture;
    } kinds[] = {{Button::Insert, "InsertButton", QStringLiteral("+")},
                 {Button::Delete, "DeleteButton", QStringLiteral("\u2212")},
                 {Button::Post, "PostButton", QStringLiteral("\u2713")}};
    for (const auto& kind : kinds) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(kind.name));
        button->setText(kind.picture);
        platform::PressableByKeyboard(button);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        buttons_[int(kind.which)] = button;
        const Button which = kind.which;
        connect(button, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
    }
    nameButtons();
    updateButtons();
}

void DBNavigator::nameButtons() {
    const struct {
        Button which;
        QString name;
        QString tip;
    } texts[] = {
        {Button::Insert, tr("Insert record"), tr("Insert a new record before the current one (in the grid: Insert)")},
        {Button::Delete, tr("Delete record"),
         tr("Delete the current record at once, without asking (in the grid Ctrl+Delete asks first)")},
        {Button::Post, tr("Save record"), tr("Save the changes of the current record to the database")},
    };
    for (const auto& text : texts) {
        button(text.which)->setToolTip(text.tip);
        platform::SetAccessibleTexts(button(text.which), text.name, text.tip);
    }
}

void DBNavigator::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) nameButtons();
    QWidget::changeEvent(event);
}

void DBNavigator::setDataSource(DataSource* source) {
    if (source == source_) return;
    for (const QMetaObject::Connection& connection : connections_) disconnect(connection);
    connections_.clear();
    source_ = source;
    if (DataSet* set = source ? source->dataSet() : nullptr) {
        connections_ << connect(set, &DataSet::stateChanged, this, &DBNavigator::updateButtons);
        connections_ << connect(set, &DataSet::reset, this, &DBNavigator::updateButtons);
        connections_ << connect(set, &DataSet::rowInserted, this, &DBNavigator::updateButtons);
        connections_ << connect(set, &DataSet::rowRemoved, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::updateButtons() {
    const DataSet* set = source_ ? source_->dataSet() : nullptr;
    const bool active = set && set->isActive();
    button(Button::Insert)->setEnabled(active);
    button(Button::Delete)->setEnabled(active && !set->isEmpty());
    button(Button::Post)->setEnabled(active && set->isEditing());
}

void DBNavigator::BtnClick(Button which) {
    platform::runGuarded([this, which] {
        DataSet* set = source_ ? source_->dataSet() : nullptr;
        if (!set) return;
        // What a control shows is already in the row (the controls write as the user types), so a store
        // here takes any open editor's text without closing it.
        switch (which) {
            case Button::Insert:
                set->insert();
                break;
            case Button::Delete:
                set->remove();
                break;
            case Button::Post:
                set->post();
                break;
        }
    });
}
