#include "settings/formstorage.h"

#include "settings/inifile.h"

#include <QMetaProperty>

namespace {

// The text a variant is kept as: flags as "0"/"1" like every flag of the
// file, numbers in the C locale so they read back anywhere.
QString valueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

QVariant valueFromText(const QString &text, QMetaType type)
{
    if (type.id() == QMetaType::Bool)
        return QVariant(TIniFile::StrToIntDef(text, 0) != 0);
    QVariant value(text);
    if (type.isValid() && type.id() != QMetaType::QString && !value.convert(type))
        return QVariant();
    return value;
}

} // namespace

TFormStorage::TFormStorage(QObject *AOwner)
    : TFormPlacement(AOwner)
{
}

TFormStorage::~TFormStorage()
{
    // Here, while the stored values are still this class's to save.
    SaveOnDestroy();
}

QObject *TFormStorage::findComponent(const QString &name) const
{
    QObject *owner = parent();
    if (!owner || name.isEmpty() || name == owner->objectName())
        return owner;
    return owner->findChild<QObject *>(name);
}

void TFormStorage::SaveStoredValues(TIniFile &ini)
{
    const QString section = PlacementSection();
    for (const QString &entry : std::as_const(m_storedProps)) {
        const qsizetype dot = entry.lastIndexOf(QLatin1Char('.'));
        QObject *component = findComponent(dot < 0 ? QString() : entry.left(dot));
        const QByteArray property = entry.mid(dot + 1).toLatin1();
        if (!component || component->metaObject()->indexOfProperty(property.constData()) < 0) {
            qWarning("TFormStorage::SaveStoredValues: no property %s", qPrintable(entry));
            continue;
        }
        ini.WriteString(section, entry, valueText(component->property(property.constData())));
    }
    for (int i = 0; i < m_storedValues.Count(); ++i) {
        TStoredValue &item = m_storedValues.Items(i);
        QVariant value = item.Value;
        if (item.OnSave)
            item.OnSave(item, value);
        ini.WriteString(section, item.Key(), valueText(value));
    }
}

void TFormStorage::RestoreStoredValues(TIniFile &ini)
{
    const QString section = PlacementSection();
    for (const QString &entry : std::as_const(m_storedProps)) {
        if (!ini.ValueExists(section, entry))
            continue;
        const qsizetype dot = entry.lastIndexOf(QLatin1Char('.'));
        QObject *component = findComponent(dot < 0 ? QString() : entry.left(dot));
        const QByteArray property = entry.mid(dot + 1).toLatin1();
        const int index = component ? component->metaObject()->indexOfProperty(property.constData()) : -1;
        if (index < 0)
            continue;
        const QMetaProperty meta = component->metaObject()->property(index);
        const QVariant value = valueFromText(ini.ReadString(section, entry, QString()), meta.metaType());
        if (value.isValid())
            meta.write(component, value);
    }
    for (int i = 0; i < m_storedValues.Count(); ++i) {
        TStoredValue &item = m_storedValues.Items(i);
        if (!ini.ValueExists(section, item.Key()))
            continue;
        QVariant value = valueFromText(ini.ReadString(section, item.Key(), QString()), item.Value.metaType());
        if (item.OnRestore)
            item.OnRestore(item, value);
        item.Value = value;
    }
}
