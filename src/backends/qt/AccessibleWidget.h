#pragma once
// A windowed control through its widget, for assistive technology: the model's role, name,
// state, value and actions, and the model's children (windowed or painted) in child order.

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class ControlWidget;
class TControl;

class AccessibleWidget : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleWidget(ControlWidget* widget);

    // The control, or null once the model has let it go.
    TControl* Control() const;

    bool isValid() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;
};
