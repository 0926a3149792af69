#pragma once
// TFormStorage: a TFormPlacement that also keeps chosen properties of the
// window's components and a set of named values.
//
// StoredProps entries read "Component.Property": the component is found by
// object name among the window's descendants (an empty name is the window
// itself) and the property through Qt's property system. Both are kept in
// the placement section, each property under its entry text; a property
// whose key is missing from the file keeps its value.

#include "settings/formplacement.h"
#include "settings/storedvalues.h"

#include <QStringList>

class TFormStorage : public TFormPlacement
{
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE SetStoredProps)

public:
    explicit TFormStorage(QObject *AOwner);
    ~TFormStorage() override;

    const QStringList &StoredProps() const { return m_storedProps; }
    void SetStoredProps(const QStringList &value) { m_storedProps = value; }
    TStoredValues &StoredValues() { return m_storedValues; }
    const TStoredValues &StoredValues() const { return m_storedValues; }

protected:
    void SaveStoredValues(TIniFile &ini) override;
    void RestoreStoredValues(TIniFile &ini) override;

private:
    QObject *findComponent(const QString &name) const;

    QStringList m_storedProps;
    TStoredValues m_storedValues;
};
