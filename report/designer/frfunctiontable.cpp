#include "report/designer/frfunctiontable.h"

#include "report/frfunctionlibrary.h"
#include "report/frregistry.h"

const QStringList &frFunctionTable::builtIn()
{
    static const QStringList table = {
        QStringLiteral("AVG=Statistiche |AVG(<X>) |Restituiosce la media della serie <X>"),
        QStringLiteral("COUNT=Statistiche |COUNT() |Restituisce il numero di elementi della serie"),
        QStringLiteral("MAX=Statistiche |MAX(<X>) |Restituisce il valore più alto della serie <X>"),
        QStringLiteral("MIN=Statistiche |MIN(<X>) |Restituisce il valore più basso della serie <X>"),
        QStringLiteral("SUM=Statistiche |SUM(<X>) |Restituisce la somma della serie <X>"),
        QStringLiteral("FORMATDATETIME=Conversione |FORMATDATETIME(<X>,<Y>) |Restituisce la data <Y> con il formato <X>"),
        QStringLiteral("FORMATFLOAT=Conversione |FORMATFLOAT(<X>,<Y>) |Restituisce il numero <Y> con il formato <X>"),
        QStringLiteral("STRTODATE=Conversione |STRTODATE(<X>) |Restituisce la data contenuta nella stringa <X>"),
        QStringLiteral("STRTOTIME=Conversione |STRTOTIME(<X>) |Restituisce l'orario contenuto nella stringa <X>"),
        QStringLiteral("LOWERCASE=Stringa |LOWERCASE(<X>) |Restituisce <X> in minuscolo"),
        QStringLiteral("UPPERCASE=Stringa |UPPERCASE(<X>) |Restituisce <X> in maiuscolo"),
        QStringLiteral("NAMECASE=Stringa |NAMECASE(<X>) |Restituisce <X> in minuscolo eccetto che per il primo carattere in maiuscolo"),
        QStringLiteral("PHRASECASE=Stringa |PHRASECASE(<X>) |Restituisce <X> in minuscolo eccetto che per le iniziali di ogni parola contenuta nel testo"),
        QStringLiteral("NUMBERTOLETTER=Stringa |NUMBERTOLETTER(<X>) |Restituisce l'equivalente in lettere del numero <X>"),
        QStringLiteral("STR=Stringa |STR(<X>) |Restituisce una stringa convertita dal numero <X>"),
        QStringLiteral("COPY=Stringa |COPY(<X>,<Y>,<Z>) |Restituisce una sotto-stringa copiata dalla stringa <X> a partire dalla posizione <Y> per <Z> caratteri"),
        QStringLiteral("POS=Stringa |POS(<X>,<Y>) |Restituisce il numero corrispondente alla posizione della sottostringa <X> nella stringa <Y>"),
        QStringLiteral("LENGTH=Stringa |LENGTH(<X>) |Restituisce la lunghezza della stringa <X>"),
        QStringLiteral("FILLSTR=Stringa |FILLSTR(<X>,<Y>) |Restituisce una stringa formata da un numero <X> di stringhe <Y>"),
        QStringLiteral("IF=Logiche |IF(<X>,<Y>,<Z>) |Restituisce <Y> se l'espressione <X> è verificata altrimenti restituisce <Z>"),
        QStringLiteral("INT=Matematiche |INT(<X>) |Restituisce la parte intera del numero <X>"),
        QStringLiteral("FRAC=Matematiche |FRAC(<X>) |Resituisce la parte decimale del numero <X>"),
        QStringLiteral("ROUND=Matematiche |ROUND(<X>) |Restituisce il numero intero corrispondente all'arrotondamento si <X>"),
        QStringLiteral("TRUNC=Matematiche |TRUNC(<X>) |Restituisce il numero intero corrispondente al troncamento di <X>"),
        QStringLiteral("ABS=Matematiche |ABS(<X>) |Restituisce il valore assoluto di <X>"),
        QStringLiteral("ARCTAN=Matematiche |ARCTAN(<X>) |Restituisce l'arcotangente di <X>"),
        QStringLiteral("COS=Matematiche |COS(<X>) |Restituisce il coseno di <X>"),
        QStringLiteral("EXP=Matematiche |EXP(<X>) |Restituisce l'esponenziale di <X>"),
        QStringLiteral("LN=Matematiche |LN(<X>) |Restituisce il logaritmo naturale di <X>"),
        QStringLiteral("PI=Matematiche |PI |Restituisce il valore di pigreco"),
        QStringLiteral("SIN=Matematiche |SIN(<X>) |Restituisce il seno di <X>"),
        QStringLiteral("SQR=Matematiche |SQR(<X>) |Restituisce il quadrato di <X>"),
        QStringLiteral("SQRT=Matematiche |SQRT(<X>) |Restituisce la radice quadrata di <X>"),
        QStringLiteral("POWER=Matematiche |POWER(<X>,<Y>) |Restituisce il numero equivalente a <X> elevato ad <Y>"),
        QStringLiteral("CEIL=Matematiche |CEIL(<X>) |Restituisce il numero intero corrispondente all'arrotondamento per eccesso di <X>"),
        QStringLiteral("FLOOR=Matematiche |FLOOR(<X>) |Restituisce il numero intero corrispondente all'arrotondamento per difetto di <X>"),
        QStringLiteral("VAL=Matematiche |VAL(<X>) |Restituisce la conversione numerica di <X>"),
        QStringLiteral("MONEY=Valuta |MONEY(<X>) |Restituisce una stringa contenente il numero <X> formattato come valuta nel sistema corrente"),
        QStringLiteral("EURO=Valuta |EURO(<X>) |Restituisce una stringa contenente il numero <X> formattato come euro"),
        QStringLiteral("MONEYTOEURO=Valuta |MONEYTOEURO(<X>) |Restituisce una stringa contenente il numero <X> convertito dalla moneta corrente in euro e formattato"),
        QStringLiteral("EUROTOMONEY=Valuta |EUROTOMONEY(<X>) |Restituisce una stringa contenente il numero <X> convertito da euro alla moneta corrente e formattato"),
        QStringLiteral("MONEYTOEUROVAL=Valuta |MONEYTOEUROVAL(<X>) |Restituisce il numero <X> convertito dalla moneta corrente in euro"),
        QStringLiteral("EUROTOMONEYVAL=Valuta |EUROTOMONEYVAL(<X>) |Restituisce il numero <X> convertito da euro alla moneta corrente"),
    };
    return table;
}

TfrFunctionInfo frFunctionTable::parse(const QString &entry)
{
    TfrFunctionInfo info;
    const int eq = int(entry.indexOf(QLatin1Char('=')));
    info.name = entry.left(eq < 0 ? entry.size() : eq).trimmed();
    if (eq < 0) return info;
    const QStringList parts = entry.mid(eq + 1).split(QStringLiteral(" |"));
    info.category = parts.value(0).trimmed();
    info.syntax = parts.value(1).trimmed();
    info.help = parts.value(2).trimmed();
    return info;
}

namespace {
bool lookUp(const QStringList &table, const QString &name, TfrFunctionInfo &info)
{
    for (const QString &entry : table) {
        const int eq = int(entry.indexOf(QLatin1Char('=')));
        if (eq > 0 && entry.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            info = frFunctionTable::parse(entry);
            return true;
        }
    }
    return false;
}
} // namespace

TfrFunctionInfo frFunctionTable::find(const QString &name)
{
    TfrFunctionInfo info;
    if (lookUp(builtIn(), name, info)) return info;
    for (const TfrFunctionLibrary *library : frRegistry::functionLibraries())
        if (lookUp(library->Descriptions, name, info)) return info;
    return {name.trimmed(), QStringLiteral("Sconosciute"), name.trimmed(), QString()};
}

QList<TfrFunctionInfo> frFunctionTable::all()
{
    QList<TfrFunctionInfo> list;
    QStringList seen;
    for (const QString &entry : builtIn()) {
        list << parse(entry);
        seen << list.last().name.toUpper();
    }
    for (const TfrFunctionLibrary *library : frRegistry::functionLibraries())
        for (const QString &name : library->List)
            if (!seen.contains(name.toUpper())) {
                list << find(name);
                seen << name.toUpper();
            }
    return list;
}

QStringList frFunctionTable::categories(const QList<TfrFunctionInfo> &functions)
{
    QStringList list;
    for (const TfrFunctionInfo &f : functions)
        if (!list.contains(f.category)) list << f.category;
    list.sort();
    return list;
}
