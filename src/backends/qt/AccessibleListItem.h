#pragma once
// One item of a drop-down list, for assistive technology: a child of its list's interface, named
// by its text and selected while the list has chosen it.

#include <QAccessible>

class TComboBox;

class AccessibleListItem : public QAccessibleInterface {
public:
    AccessibleListItem(TComboBox* combo, int index) : combo_(combo), index_(index) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

private:
    TComboBox* combo_;
    int index_;
};
