#include "data/daotable_cursor_p.h"

#include <QtEndian>

TDaoCursor::TDaoCursor(std::unique_ptr<dao::Recordset> recordset) : m_rs(std::move(recordset)) {}

qint32 TDaoCursor::keyOf(const QByteArray &bookmark)
{
    return bookmark.size() >= 4 ? qFromLittleEndian<qint32>(bookmark.constData()) : 0;
}

QByteArray TDaoCursor::bookmarkOf(qint32 key)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(key, b.data());
    return b;
}

void TDaoCursor::fail(int number, const QString &text)
{
    dao::ErrorInfo info;
    info.number = number;
    info.source = QStringLiteral("DAO.Recordset");
    info.description = text;
    throw EDaoError(info);
}

void TDaoCursor::setOrder(const QVector<qint32> &keys)
{
    m_own = true;
    m_keys = keys;
    rebuildIndex();
    m_pos = -1;
    m_onDeleted = false;
}

void TDaoCursor::clearOrder()
{
    m_own = false;
    m_keys.clear();
    m_index.clear();
    m_pos = -1;
}

void TDaoCursor::rebuildIndex()
{
    m_index.clear();
    m_index.reserve(m_keys.size());
    for (int i = 0; i < m_keys.size(); ++i) m_index.insert(m_keys[i], i);
}

void TDaoCursor::place()
{
    m_onDeleted = false;
    if (m_pos >= 0 && m_pos < m_keys.size()) m_rs->SetBookmark(bookmarkOf(m_keys[m_pos]));
}

bool TDaoCursor::Bof() const
{
    if (!m_own) return m_rs->Bof();
    return m_keys.isEmpty() || m_pos < 0;
}

bool TDaoCursor::Eof() const
{
    if (!m_own) return m_rs->Eof();
    return m_keys.isEmpty() || m_pos >= m_keys.size();
}

void TDaoCursor::MoveFirst()
{
    if (!m_own) return m_rs->MoveFirst();
    if (m_keys.isEmpty()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    m_pos = 0;
    place();
}

void TDaoCursor::MoveLast()
{
    if (!m_own) return m_rs->MoveLast();
    if (m_keys.isEmpty()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    m_pos = int(m_keys.size()) - 1;
    place();
}

void TDaoCursor::MoveNext()
{
    if (!m_own) return m_rs->MoveNext();
    if (Eof()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    if (!m_onDeleted) ++m_pos;
    place();
}

void TDaoCursor::MovePrevious()
{
    if (!m_own) return m_rs->MovePrevious();
    if (Bof()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    --m_pos;
    place();
}

void TDaoCursor::Move(int rows)
{
    if (!m_own) return m_rs->Move(rows);
    if (m_keys.isEmpty() || ((Bof() || Eof()) && rows == 0))
        fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    if (rows == 0) {
        if (m_onDeleted) fail(dao::errRecordDeleted, QStringLiteral("Record is deleted."));
        place();
        return;
    }
    if ((rows > 0 && Eof()) || (rows < 0 && Bof())) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    const int target = m_onDeleted && rows > 0 ? m_pos + rows - 1 : m_pos + rows;
    m_pos = qBound(-1, target, int(m_keys.size()));
    place();
}

int TDaoCursor::RecordCount() const
{
    return m_own ? int(m_keys.size()) : m_rs->RecordCount();
}

int TDaoCursor::AbsolutePosition() const
{
    if (!m_own) return m_rs->AbsolutePosition();
    if (Bof() || Eof() || m_onDeleted) return -1;
    return m_pos;
}

QByteArray TDaoCursor::Bookmark() const
{
    if (!m_own) return m_rs->Bookmark();
    if (m_onDeleted) fail(dao::errRecordDeleted, QStringLiteral("Record is deleted."));
    if (Bof() || Eof()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    return bookmarkOf(m_keys[m_pos]);
}

void TDaoCursor::SetBookmark(const QByteArray &bookmark)
{
    if (!m_own) return m_rs->SetBookmark(bookmark);
    const auto it = m_index.constFind(keyOf(bookmark));
    if (bookmark.size() < 4 || it == m_index.constEnd())
        fail(dao::errNotValidBookmark, QStringLiteral("Not a valid bookmark."));
    m_rs->SetBookmark(bookmark);
    m_pos = *it;
    m_onDeleted = false;
}

void TDaoCursor::Delete()
{
    if (!m_own) return m_rs->Delete();
    if (Bof() || Eof()) fail(dao::errNoCurrentRecord, QStringLiteral("No current record."));
    m_rs->Delete();
    m_keys.remove(m_pos);
    rebuildIndex();
    m_onDeleted = true;
}

void TDaoCursor::noteAdded(qint32 key)
{
    if (!m_own || m_index.contains(key)) return;
    m_keys.append(key);
    m_index.insert(key, int(m_keys.size()) - 1);
}
