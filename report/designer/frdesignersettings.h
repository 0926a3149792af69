#pragma once
// Where the designer keeps its options between sessions: an INI file in the
// user's configuration folder under the organisation "Nessun nome" (sections
// "Options" and "ToolBas", one per tool window), replaceable for tests.

#include <QString>
#include <QStringList>

class QSettings;

struct TfrDesignerOptions
{
    bool gridAlign = true;
    int gridSize = 4;
    int units = 1;
    QStringList recent;        // most recent first, at most four
};

namespace frDesignerSettings {
// The file in use; an empty name puts the default back.
QString fileName();
void setFileName(const QString &fileName);
// The settings object over that file (the caller owns it).
QSettings *open();
TfrDesignerOptions readOptions();
void writeOptions(const TfrDesignerOptions &options);
constexpr int MaxRecent = 4;
// Adds a file at the front of the list, once.
void addRecent(QStringList &list, const QString &path);
} // namespace frDesignerSettings
