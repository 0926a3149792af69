#include "app/diarytables.h"
#include "core/datetime.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

TDiaryTables::TDiaryTables(QObject *owner, QObject *componentOwner) : QObject(owner)
{
    QObject *holder = componentOwner ? componentOwner : this;
    Database = new TDaoDatabase(holder);
    Database->setObjectName(QStringLiteral("Database"));
    Diario = new TDaoTable(holder);
    Diario->setObjectName(QStringLiteral("Diario"));
    Intesta = new TDaoTable(holder);
    Intesta->setObjectName(QStringLiteral("Intesta"));
    Model = new TDiaryModel(holder, Diario, Intesta);
    Model->attach();
    configureDiario(Diario, Database, Model);
    configureIntesta(Intesta, Database);
}

TDiaryTables::~TDiaryTables()
{
    try {
        close();
    } catch (const Exception &) {
    }
}

void TDiaryTables::configureDiario(TDaoTable *table, TDaoDatabase *database, TDiaryModel *model)
{
    table->SetDatabase(database);
    table->SetTableName(QStringLiteral("Diario"));
    table->SetTableType(dao::dbOpenDynaset);
    table->SetLockType(dao::dbOptimistic);
    table->SetOpenOptions(TDaoOpenOption::dbSeeChanges);
    table->SetFiltered(true);
    table->SetOnFilterRecord([model](TDataSet *ds, bool &accept) { model->DiarioFilterRecord(ds, accept); });
}

void TDiaryTables::configureIntesta(TDaoTable *table, TDaoDatabase *database)
{
    table->SetDatabase(database);
    table->SetTableName(QStringLiteral("Intestazione"));
    table->SetTableType(dao::dbOpenDynaset);
    table->SetLockType(dao::dbOptimistic);
    table->SetOpenOptions({});
}

void TDiaryTables::open(const QString &archivePath, bool readOnly)
{
    // The tool names the file it means: no looking in the application folder.
    Database->SetSmartOpen(false);
    Database->SetDatabase(archivePath);
    Database->SetReadOnly(readOnly);
    Database->Open();
    Intesta->Open();
    Diario->Open();
}

void TDiaryTables::close()
{
    Diario->Close();
    Intesta->Close();
    Database->Close();
}

namespace DiaryValues {

QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\b': out += QStringLiteral("\\b"); break;
        case '\f': out += QStringLiteral("\\f"); break;
        default:
            if (c.unicode() < 0x20) out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString jsonValue(const TField *field)
{
    const TFieldType t = field->DataType();
    const bool text = t == ftString || t == ftMemo || t == ftFixedChar || t == ftWideString || t == ftFmtMemo;
    if (field->IsNull()) return text ? QStringLiteral("\"\"") : QStringLiteral("null");
    switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return QString::number(field->AsInteger());
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        const double v = field->AsFloat();
        if (!std::isfinite(v)) return QStringLiteral("null");
        return QString::number(v, 'g', QLocale::FloatingPointShortest);
    }
    case ftBoolean: return field->AsBoolean() ? QStringLiteral("true") : QStringLiteral("false");
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const TDateTime d = field->AsDateTime();
        int h, n, s, ms;
        decodeTime(d, h, n, s, ms);
        QString out = formatDateTime(QStringLiteral("yyyy\"-\"mm\"-\"dd"), d);
        if (h != 0 || n != 0 || s != 0) out += formatDateTime(QStringLiteral("\" \"hh\":\"nn\":\"ss"), d);
        return jsonString(out);
    }
    default: return jsonString(field->AsString());
    }
}

QString jsonObject(const QList<TField *> &fields)
{
    QStringList parts;
    for (const TField *f : fields) parts << jsonString(f->FieldName) + QLatin1Char(':') + jsonValue(f);
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

bool parseDate(const QString &text, TDateTime &out)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?: (\\d{2}):(\\d{2}):(\\d{2}))?$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = iso.match(t);
    if (m.hasMatch()) {
        TDateTime date = 0, time = 0;
        if (!tryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), date)) return false;
        if (!m.captured(4).isEmpty()
            && !tryEncodeTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), 0, time))
            return false;
        out = date + time;
        return true;
    }
    return tryStrToDateTime(t, out);
}

bool assignText(TField *field, const QString &text, QString *reason)
{
    try {
        if (text.isEmpty()) {
            field->Clear();
            return true;
        }
        const TFieldType t = field->DataType();
        if (t == ftDate || t == ftTime || t == ftDateTime) {
            TDateTime d = 0;
            if (!parseDate(text, d)) {
                if (reason) *reason = QStringLiteral("'%1' is not a valid date").arg(text);
                return false;
            }
            field->SetAsDateTime(d);
            return true;
        }
        field->SetAsString(text);
        return true;
    } catch (const Exception &e) {
        if (reason) *reason = e.message();
        return false;
    }
}

} // namespace DiaryValues
