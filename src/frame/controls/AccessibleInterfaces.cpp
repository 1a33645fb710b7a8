// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/AccessibleInterfaces.h"

#include "frame/controls/Label.h"
#include "frame/controls/PictureFrame.h"
#include "frame/controls/SpinControl.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace tickwell {

namespace {

const char* const roleProperty = "tickwellAccessibleRole";

class SpinControlInterface : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinControlInterface(SpinControl* spin)
        : QAccessibleWidget(spin, QAccessible::SpinBox)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? QString::number(spin()->value()) : QAccessibleWidget::text(t);
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QVariant currentValue() const override { return spin()->value(); }
    void setCurrentValue(const QVariant& value) override { spin()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return spin()->maximum(); }
    QVariant minimumValue() const override { return spin()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << increaseAction() << decreaseAction();
    }

    void doAction(const QString& action) override
    {
        if (action == increaseAction())
            spin()->stepUp();
        else if (action == decreaseAction())
            spin()->stepDown();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    SpinControl* spin() const { return static_cast<SpinControl*>(widget()); }
};

class PressableLabelInterface : public QAccessibleWidget {
public:
    explicit PressableLabelInterface(Label* label)
        : QAccessibleWidget(label, label->pressableRole())
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->caption();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        // An item inside a container the keyboard moves in.
        const QWidget* container = label()->parentWidget();
        if (container && container->focusPolicy() != Qt::NoFocus) {
            state.focusable = true;
            state.focused = label()->hasFocusMark() && container->hasFocus();
            state.selectable = true;
            state.selected = label()->isSelected();
        }
        return state;
    }

    QStringList actionNames() const override { return QStringList { pressAction() }; }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            Q_EMIT label()->click();
    }

private:
    Label* label() const { return static_cast<Label*>(widget()); }
};

// A frame the keyboard moves in: a list of the items it holds, the one
// with the focus mark having the focus.
class ItemFrameInterface : public QAccessibleWidget {
public:
    explicit ItemFrameInterface(PictureFrame* frame)
        : QAccessibleWidget(frame, QAccessible::List)
    {
    }

    QAccessibleInterface* focusChild() const override
    {
        if (!widget()->hasFocus())
            return QAccessibleWidget::focusChild();
        for (Label* item : widget()->findChildren<Label*>(Qt::FindDirectChildrenOnly)) {
            if (item->hasFocusMark())
                return QAccessible::queryAccessibleInterface(item);
        }
        return QAccessibleWidget::focusChild();
    }
};

QAccessibleInterface* interfaceOf(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (auto* spin = qobject_cast<SpinControl*>(widget))
        return new SpinControlInterface(spin);
    if (auto* label = qobject_cast<Label*>(widget))
        return label->isPressable() ? new PressableLabelInterface(label) : nullptr;
    if (auto* frame = qobject_cast<PictureFrame*>(widget))
        return frame->focusPolicy() != Qt::NoFocus ? new ItemFrameInterface(frame) : nullptr;
    const QVariant role = widget->property(roleProperty);
    if (role.isValid())
        return new QAccessibleWidget(widget, QAccessible::Role(role.toInt()));
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    QAccessible::installFactory(&interfaceOf);
}

void forgetAccessibleInterface(QWidget& widget)
{
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void presentAs(QWidget& widget, QAccessible::Role role)
{
    installAccessibleInterfaces();
    widget.setProperty(roleProperty, int(role));
}

} // namespace tickwell
