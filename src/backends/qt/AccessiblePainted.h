#pragma once
// A control its parent paints (label, speed button, bevel, shape), for assistive technology: a
// child of its parent's interface, placed where it is painted.

#include <QAccessible>
#include <QAccessibleActionInterface>

class TControl;

class AccessiblePainted : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit AccessiblePainted(TControl* control) : control_(control) {}

    TControl* Control() const { return control_; }

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    TControl* control_;
};
