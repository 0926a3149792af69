#include "report/designer/frundohistory.h"

#include <QtEndian>

QByteArray TfrUndoHistory::makeSnapshot(int pageIndex, const QByteArray &templateData)
{
    QByteArray s(4, '\0');
    qToLittleEndian<qint32>(pageIndex, s.data());
    return s + templateData;
}

int TfrUndoHistory::pageOf(const QByteArray &snapshot)
{
    return snapshot.size() < 4 ? 0 : qFromLittleEndian<qint32>(snapshot.constData());
}

QByteArray TfrUndoHistory::templateOf(const QByteArray &snapshot) { return snapshot.mid(4); }

void TfrUndoHistory::clear()
{
    m_snapshots.clear();
    m_index = -1;
}

void TfrUndoHistory::record(const QByteArray &snapshot)
{
    m_snapshots.resize(m_index + 1);
    m_snapshots.append(snapshot);
    m_index = m_snapshots.size() - 1;
}

QByteArray TfrUndoHistory::undo()
{
    if (!canUndo()) return {};
    return m_snapshots[--m_index];
}

QByteArray TfrUndoHistory::redo()
{
    if (!canRedo()) return {};
    return m_snapshots[++m_index];
}
