#pragma once
// The table component's view of its engine recordset. Usually it passes every
// move straight to the recordset. When the table sorts by one of its
// calculated fields, which the engine does not know, the table hands it the
// record keys in the computed order and the cursor walks that list instead,
// placing the recordset on each record through its bookmark. Only the 4-byte
// keys are kept, never records.

#include "data/enginerecordset.h"

#include <QByteArray>
#include <QHash>
#include <QVector>
#include <memory>

class TDaoCursor
{
public:
    explicit TDaoCursor(std::unique_ptr<dao::Recordset> recordset);

    dao::Recordset *recordset() const { return m_rs.get(); }
    std::unique_ptr<dao::Recordset> takeRecordset() { return std::move(m_rs); }

    // Keys (record identifiers) in the order to walk; the cursor goes before the first.
    void setOrder(const QVector<qint32> &keys);
    void clearOrder();
    bool hasOwnOrder() const { return m_own; }

    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(int rows);
    int RecordCount() const;
    int AbsolutePosition() const;
    QByteArray Bookmark() const;
    void SetBookmark(const QByteArray &bookmark);
    void Delete();
    // A record added through the recordset joins the end of the order.
    void noteAdded(qint32 key);

    static qint32 keyOf(const QByteArray &bookmark);
    static QByteArray bookmarkOf(qint32 key);

private:
    [[noreturn]] static void fail(int number, const QString &text);
    void place();   // puts the recordset on the key at m_pos
    void rebuildIndex();

    std::unique_ptr<dao::Recordset> m_rs;
    bool m_own = false;
    QVector<qint32> m_keys;
    QHash<qint32, int> m_index;
    int m_pos = -1;            // -1 before the first, size() after the last
    bool m_onDeleted = false;  // the key at m_pos was deleted: the next move stays
};
