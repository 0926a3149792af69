#pragma once
// The designer's undo history: snapshots of the whole report, each the current
// page index (4 bytes, little-endian) followed by the report in template form.
// The last snapshot saved is kept apart, so "has changes" compares what the
// user sees with what is on disk, not how many steps were taken.

#include <QByteArray>
#include <QList>

class TfrUndoHistory
{
public:
    static QByteArray makeSnapshot(int pageIndex, const QByteArray &templateData);
    static int pageOf(const QByteArray &snapshot);
    static QByteArray templateOf(const QByteArray &snapshot);

    // Drops every snapshot; the next one recorded is the first.
    void clear();
    // Drops the snapshots after the current one, appends this one, makes it current.
    void record(const QByteArray &snapshot);
    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index >= 0 && m_index < m_snapshots.size() - 1; }
    // Moves back or forward one and returns that snapshot (empty when impossible).
    QByteArray undo();
    QByteArray redo();
    QByteArray current() const { return m_index >= 0 ? m_snapshots[m_index] : QByteArray(); }
    int index() const { return int(m_index); }
    int count() const { return int(m_snapshots.size()); }

    // The current snapshot is what the file now holds.
    void markSaved() { m_saved = templateOf(current()); }
    void setSaved(const QByteArray &templateData) { m_saved = templateData; }
    bool hasChanges() const { return m_index >= 0 && templateOf(current()) != m_saved; }

private:
    QList<QByteArray> m_snapshots;
    qsizetype m_index = -1;
    QByteArray m_saved;
};
