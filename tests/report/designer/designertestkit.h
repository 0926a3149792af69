#pragma once
// Small tools the designer's tests share: what a page or a list holds, a
// click on a list entry, whole-file reads and writes.

#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frview.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QRect>
#include <QStringList>
#include <QTest>

inline QRect boxOf(const TfrView *v) { return v ? QRect(v->Left, v->Top, v->Width, v->Height) : QRect(); }

inline QStringList names(const TfrReport &report, int page = 0)
{
    QStringList out;
    for (const TfrView *v : report.Pages[page]->Objects) out << v->Name;
    return out;
}

inline QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

inline QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// Clicks a list entry by its text, as the user does.
inline void clickEntry(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->setCurrentItem(found.first());
    emit list->itemClicked(found.first());
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}
