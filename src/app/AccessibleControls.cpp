// Menus, their entries and progress bars, as screen readers are to read them.
#include "AccessibleControls.h"

#include <QQuickItem>
#include <QQuickWindow>

namespace {
// What the QML says of the control through Accessible (its name, its description): the
// attached object that Qt Quick keeps as the control's child.
QVariant said(const QQuickItem *control, const char *property)
{
    for (const QObject *child : control->children()) {
        if (child->inherits("QQuickAccessibleAttached"))
            return child->property(property);
    }
    return QVariant();
}

// A label as it is said: "&File" is "File", "&&" one "&".
QString withoutMnemonic(const QString &label)
{
    QString said;
    for (int i = 0; i < label.size(); ++i) {
        if (label.at(i) == QLatin1Char('&') && i + 1 < label.size())
            ++i;
        said += label.at(i);
    }
    return said;
}

QAccessibleInterface *accessibleControl(const QString &className, QObject *object)
{
    auto *item = qobject_cast<QQuickItem *>(object);
    if (item && (className == QLatin1String("QQuickMenuBarItem") ||
                 className == QLatin1String("QQuickMenuItem")))
        return new AccessibleControl(item, QAccessible::MenuItem);
    if (item && className == QLatin1String("QQuickProgressBar"))
        return new AccessibleControl(item, QAccessible::ProgressBar);
    return nullptr;
}
} // namespace

AccessibleControl::AccessibleControl(QQuickItem *control, QAccessible::Role role)
    : QAccessibleObject(control)
    , controlRole(role)
{
    if (role == QAccessible::ProgressBar)
        connect(control, SIGNAL(valueChanged()), this, SLOT(tellValue()));
}

void AccessibleControl::install()
{
    QAccessible::installFactory(accessibleControl);
}

QQuickItem *AccessibleControl::control() const
{
    return static_cast<QQuickItem *>(object());
}

QWindow *AccessibleControl::window() const
{
    return control()->window();
}

// The nearest ancestor that is read, as Qt Quick's own items find theirs: the window once the
// scene's root is reached.
QAccessibleInterface *AccessibleControl::parent() const
{
    QQuickWindow *window = control()->window();
    for (QQuickItem *item = control()->parentItem(); item; item = item->parentItem()) {
        if (window && item == window->contentItem())
            return QAccessible::queryAccessibleInterface(window);
        if (QAccessibleInterface *ancestor = QAccessible::queryAccessibleInterface(item))
            return ancestor;
    }
    return nullptr;
}

QString AccessibleControl::text(QAccessible::Text type) const
{
    switch (type) {
    case QAccessible::Name:
        return withoutMnemonic(said(control(), "name").toString());
    case QAccessible::Description:
        return said(control(), "description").toString();
    default:
        return QString();
    }
}

QAccessible::State AccessibleControl::state() const
{
    const QQuickItem *item = control();
    QAccessible::State state;
    state.invisible = !item->window() || !item->window()->isVisible() || !item->isVisible() ||
                      qFuzzyIsNull(item->opacity());
    state.disabled = !item->isEnabled();
    state.focusable = item->activeFocusOnTab();
    state.focused = item->hasActiveFocus();
    state.busy = item->property("indeterminate").toBool();
    state.checkable = item->property("checkable").toBool();
    state.checked = item->property("checked").toBool();
    return state;
}

QRect AccessibleControl::rect() const
{
    const QQuickItem *item = control();
    if (!item->window() || !item->isVisible())
        return QRect();
    return QRect(item->mapToGlobal(QPointF()).toPoint(),
                 QSize(qRound(item->width()), qRound(item->height())));
}

void *AccessibleControl::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface && controlRole == QAccessible::ProgressBar)
        return static_cast<QAccessibleValueInterface *>(this);
    return nullptr;
}

QVariant AccessibleControl::currentValue() const
{
    return control()->property("value");
}

QVariant AccessibleControl::maximumValue() const
{
    return control()->property("to");
}

QVariant AccessibleControl::minimumValue() const
{
    return control()->property("from");
}

void AccessibleControl::tellValue()
{
    QAccessibleValueChangeEvent event(control(), currentValue());
    QAccessible::updateAccessibility(&event);
}
