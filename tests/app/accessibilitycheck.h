#pragma once
// A window's accessibility objects walked in-process, as a screen reader
// reads them through the bus (QAccessible works on the offscreen platform):
// the tree for looking at, and what a user who cannot see the screen could
// not be told: a focusable control without a name, or one name on two
// different controls.

#include <QAccessible>
#include <QMetaEnum>
#include <QMap>
#include <QStringList>
#include <QWidget>

namespace a11y {

struct Node
{
    int depth = 0;
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QAccessible::State state;
    QObject *object = nullptr;
    bool inCombo = false;   // a combo box's own list: read as the combo box
};

inline void walk(QAccessibleInterface *iface, int depth, QList<Node> &out, bool inCombo = false)
{
    if (!iface || !iface->isValid()) return;
    out.append({depth, iface->role(), iface->text(QAccessible::Name), iface->state(), iface->object(), inCombo});
    const bool combo = inCombo || iface->role() == QAccessible::ComboBox;
    for (int i = 0; i < iface->childCount(); ++i) walk(iface->child(i), depth + 1, out, combo);
}

inline QList<Node> nodes(QWidget *window)
{
    QList<Node> out;
    walk(QAccessible::queryAccessibleInterface(window), 0, out);
    return out;
}

inline QString roleName(QAccessible::Role role)
{
    const char *key = QMetaEnum::fromType<QAccessible::Role>().valueToKey(role);
    return key ? QString::fromLatin1(key) : QString::number(role);
}

// One line a node: indentation, role, "name", and "(focusable)".
inline QString tree(QWidget *window)
{
    QString out;
    for (const Node &n : nodes(window)) {
        out += QString(n.depth * 2, QLatin1Char(' ')) + roleName(n.role);
        if (!n.name.isEmpty()) out += QStringLiteral(" \"%1\"").arg(n.name);
        if (n.state.focusable) out += QStringLiteral(" (focusable)");
        out += QLatin1Char('\n');
    }
    return out;
}

inline QString describe(const Node &n)
{
    return roleName(n.role) + QLatin1Char(' ') + (n.object ? n.object->objectName() : QString());
}

inline QStringList problems(QWidget *window)
{
    QStringList found;
    QMap<QString, QList<Node>> byName;
    for (const Node &n : nodes(window)) {
        if (n.role == QAccessible::Table) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(n.object);
            if (!iface || !iface->tableInterface()) found << QStringLiteral("a table without rows and cells: %1").arg(describe(n));
        }
        // A cell's text may be empty and repeat; its column's header names it.
        if (!n.state.focusable || n.role == QAccessible::Cell || n.inCombo) continue;
        if (n.name.trimmed().isEmpty()) found << QStringLiteral("no name: %1").arg(describe(n));
        else byName[n.name].append(n);
    }
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        if (it.value().size() < 2) continue;
        QStringList which;
        for (const Node &n : it.value()) which << describe(n);
        found << QStringLiteral("one name \"%1\" on %2").arg(it.key(), which.join(QStringLiteral(", ")));
    }
    return found;
}

} // namespace a11y
