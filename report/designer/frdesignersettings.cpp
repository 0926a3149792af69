#include "report/designer/frdesignersettings.h"

#include <QDir>
#include <QSettings>
#include <memory>

namespace {
QString &overridden()
{
    static QString name;
    return name;
}
} // namespace

QString frDesignerSettings::fileName()
{
    if (!overridden().isEmpty()) return overridden();
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Nessun nome"));
    return s.fileName();
}

void frDesignerSettings::setFileName(const QString &name) { overridden() = name; }

QSettings *frDesignerSettings::open() { return new QSettings(fileName(), QSettings::IniFormat); }

TfrDesignerOptions frDesignerSettings::readOptions()
{
    std::unique_ptr<QSettings> s(open());
    TfrDesignerOptions o;
    s->beginGroup(QStringLiteral("Options"));
    o.gridAlign = s->value(QStringLiteral("GridAlign"), true).toBool();
    const int grid = s->value(QStringLiteral("GridSize"), 4).toInt();
    o.gridSize = (grid == 4 || grid == 8 || grid == 19) ? grid : 4;
    const int units = s->value(QStringLiteral("Units"), 1).toInt();
    o.units = units >= 0 && units <= 2 ? units : 1;
    for (int i = 1; i <= MaxRecent; ++i) {
        const QString f = s->value(QStringLiteral("Recent%1").arg(i)).toString();
        if (!f.isEmpty()) o.recent << f;
    }
    s->endGroup();
    return o;
}

void frDesignerSettings::writeOptions(const TfrDesignerOptions &o)
{
    std::unique_ptr<QSettings> s(open());
    s->beginGroup(QStringLiteral("Options"));
    s->setValue(QStringLiteral("GridAlign"), o.gridAlign);
    s->setValue(QStringLiteral("GridSize"), o.gridSize);
    s->setValue(QStringLiteral("Units"), o.units);
    for (int i = 1; i <= MaxRecent; ++i) {
        const QString key = QStringLiteral("Recent%1").arg(i);
        if (i <= o.recent.size()) s->setValue(key, o.recent[i - 1]);
        else s->remove(key);
    }
    s->endGroup();
}

void frDesignerSettings::addRecent(QStringList &list, const QString &path)
{
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > MaxRecent) list.removeLast();
}
