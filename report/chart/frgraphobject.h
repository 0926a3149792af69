#pragma once
// TfrGraphObject: the component whose presence brings the chart into a
// program. Creating one (or calling Register) adds TfrGraphView to the
// engine's add-in registry with its caption and editor class; the designer
// looks the editor up by that name.

#include <QObject>

class TfrGraphObject : public QObject
{
    Q_OBJECT
public:
    explicit TfrGraphObject(QObject *owner = nullptr);

    // Idempotent; false only when the registry is full.
    static bool Register();
};
