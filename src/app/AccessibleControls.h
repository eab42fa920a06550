// Qt Quick controls told rightly to screen readers, where Qt 5 tells them wrongly: a menu of the
// menu bar is a menu item of the bar (Qt calls each a menu bar of its own, whatever the QML
// says), menu entries are named without their mnemonic's "&" and say whether they are checked,
// and a progress bar has a value (AT-SPI's Value, UI Automation's RangeValue).
#pragma once

#include <QAccessibleObject>

class QQuickItem;

// One such control, read as a whole: nothing inside it is read on its own.
class AccessibleControl : public QObject, public QAccessibleObject, public QAccessibleValueInterface
{
    Q_OBJECT

public:
    AccessibleControl(QQuickItem *control, QAccessible::Role role);

    // Made for every such control once installed; before the window is made.
    static void install();

    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text type) const override;
    QAccessible::Role role() const override { return controlRole; }
    QAccessible::State state() const override;
    QRect rect() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // How far a progress bar has got, from its "from" to its "to"; read only.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 0; }

private slots:
    // Screen readers follow a progress bar by its value's change events, which Qt Quick never
    // sends.
    void tellValue();

private:
    QQuickItem *control() const;

    const QAccessible::Role controlRole;
};
