#pragma once
// TfrDesigner: the component that makes the report designer available. Placing
// one (or calling Register) hands the engine the designer window class, so a
// report's DesignTemplate opens TFRDesignerForm on it, modally.

#include <QObject>

class TfrDesigner : public QObject
{
    Q_OBJECT
public:
    explicit TfrDesigner(QObject *owner = nullptr);
    static void Register();
};
