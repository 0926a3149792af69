#include "controls/accessible.h"

#include "controls/dbnavbar.h"
#include "controls/flattoolbutton.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

class AccessibleFlatButton : public QAccessibleWidget
{
public:
    explicit AccessibleFlatButton(TFlatToolButton *button) : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("destroyed()"));
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = static_cast<TFlatToolButton *>(widget())->isDown();
        return s;
    }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && widget()->isEnabled()) static_cast<TFlatToolButton *>(widget())->Click();
        else QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    Q_UNUSED(className);
    if (!object || !object->isWidgetType()) return nullptr;
    if (auto *button = qobject_cast<TFlatToolButton *>(object)) return new AccessibleFlatButton(button);
    if (auto *bar = qobject_cast<TDBNavBar *>(object)) return new QAccessibleWidget(bar, QAccessible::ToolBar);
    return nullptr;
}

} // namespace

void installControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void nameByLabel(QLabel *label, QWidget *control)
{
    label->setBuddy(control);
    control->setAccessibleName(label->text());
}
