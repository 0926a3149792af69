#pragma once
// A record set over rows held in memory, for testing the dataset contract and
// its users without a database. Records every storage call in `calls`, and
// throws when asked for a row it does not have, so a caller's wrong
// positioning shows up as a failure rather than as wrong data.

#include "data/dataset.h"
#include "data/fieldtypes.h"

#include <QStringList>
#include <stdexcept>

class TMemoryDataSet : public TDataSet
{
public:
    explicit TMemoryDataSet(QObject *owner = nullptr) : TDataSet(owner) {}

    struct Row
    {
        int id;
        QList<QVariant> values;
    };

    // Column definitions, fixed before Open.
    void addColumn(const QString &name, TFieldType type, int size = 0, bool required = false)
    {
        m_columns.Add(name, type, size, required);
    }
    // Appends a stored row directly (no events); values by column order.
    int addRow(const QList<QVariant> &values)
    {
        Row r{++m_nextId, values};
        while (r.values.size() < m_columns.Count()) r.values.append(QVariant());
        for (int i = 0; i < m_columns.Count(); ++i)
            if (m_columns[i].DataType == ftAutoInc) r.values[i] = r.id;
        m_rows.append(r);
        return r.id;
    }
    const QList<Row> &rows() const { return m_rows; }
    QVariant stored(int row, const QString &column) const
    {
        return m_rows.at(row).values.at(m_columns.IndexOf(column));
    }

    QStringList calls;                 // storage operations in call order
    QString failPost;                  // when set, InternalPost raises this message
    int failPostTimes = 0;             // how many posts fail (0 = all while failPost is set)
    bool readOnly = false;

    bool CanModify() const override { return !readOnly; }

    int RecordCount() const override
    {
        auto *self = const_cast<TMemoryDataSet *>(this);
        int n = 0;
        Buffer probe;
        probe.calc.resize(self->calcCountForTests());
        for (const Row &r : m_rows) {
            probe.values = r.values;
            probe.id = r.id;
            if (self->FilterAccepts(&probe)) ++n;
        }
        return n;
    }
    int RecNo() const override
    {
        const TRecordBuffer *b = ActiveBuffer();
        if (!b) return -1;
        const int id = static_cast<const Buffer *>(b)->id;
        auto *self = const_cast<TMemoryDataSet *>(this);
        int n = 0;
        Buffer probe;
        probe.calc.resize(self->calcCountForTests());
        for (const Row &r : m_rows) {
            probe.values = r.values;
            probe.id = r.id;
            if (!self->FilterAccepts(&probe)) continue;
            ++n;
            if (r.id == id) return n;
        }
        return -1;
    }
    int calcCountForTests() const
    {
        int n = 0;
        for (TField *f : Fields())
            if (f->calcIndex() >= 0) ++n;
        return n;
    }

protected:
    struct Buffer : TRecordBuffer
    {
        QList<QVariant> values;
        int id = 0;
    };

    TRecordBuffer *AllocRecordBuffer() override { return new Buffer; }

    void InternalOpen() override
    {
        calls << "open";
        m_open = true;
        m_pos = -1;
        FieldDefs() = m_columns;
        if (DefaultFields()) CreateFields();
        BindFields(true);
    }
    void InternalClose() override
    {
        calls << "close";
        m_open = false;
    }
    bool IsCursorOpen() const override { return m_open; }

    TGetResult GetRecord(TRecordBuffer *buffer, TGetMode mode, bool) override
    {
        auto *b = static_cast<Buffer *>(buffer);
        for (;;) {
            switch (mode) {
            case TGetMode::Next:
                if (m_pos < int(m_rows.size())) ++m_pos;
                if (m_pos >= int(m_rows.size())) return TGetResult::EOF_;
                break;
            case TGetMode::Prior:
                if (m_pos >= 0) --m_pos;
                if (m_pos < 0) return TGetResult::BOF;
                break;
            case TGetMode::Current:
                if (m_pos < 0) return TGetResult::BOF;
                if (m_pos >= int(m_rows.size())) return TGetResult::EOF_;
                break;
            }
            calls << QStringLiteral("fetch %1").arg(m_rows[m_pos].id);
            b->values = m_rows[m_pos].values;
            b->id = m_rows[m_pos].id;
            b->bookmarkFlag = TBookmarkFlag::Current;
            if (FilterAccepts(b)) return TGetResult::OK;
            if (mode == TGetMode::Current) return TGetResult::Error;
        }
    }
    void InternalFirst() override { m_pos = -1; }
    void InternalLast() override { m_pos = int(m_rows.size()); }
    void InternalSetToRecord(TRecordBuffer *buffer) override
    {
        const int id = static_cast<Buffer *>(buffer)->id;
        if (id == 0) return;
        m_pos = indexOf(id);
        if (m_pos < 0) throw std::logic_error("set to a record that does not exist");
    }
    void InternalInitRecord(TRecordBuffer *buffer) override
    {
        auto *b = static_cast<Buffer *>(buffer);
        b->values = QList<QVariant>(m_columns.Count());
        b->id = 0;
    }
    void InternalEdit() override { calls << "edit"; }
    void InternalPost() override
    {
        if (!failPost.isEmpty() && (failPostTimes == 0 || m_failed < failPostTimes)) {
            ++m_failed;
            calls << "post failed";
            throw EDatabaseError(failPost);
        }
        auto *b = static_cast<Buffer *>(ActiveBuffer());
        if (State() == DataSetState::Insert) {
            Row r{++m_nextId, b->values};
            for (int i = 0; i < m_columns.Count(); ++i)
                if (m_columns[i].DataType == ftAutoInc) r.values[i] = r.id;
            int at = int(m_rows.size());
            if (b->bookmarkFlag == TBookmarkFlag::Inserted && b->id != 0) at = std::max(0, indexOf(b->id));
            else if (b->bookmarkFlag == TBookmarkFlag::BOF) at = 0;
            m_rows.insert(at, r);
            m_pos = at;
            calls << QStringLiteral("insert %1").arg(r.id);
        } else {
            m_pos = indexOf(b->id);
            if (m_pos < 0) throw std::logic_error("post of a record that does not exist");
            m_rows[m_pos].values = b->values;
            calls << QStringLiteral("update %1").arg(b->id);
        }
    }
    void InternalCancel() override { calls << "cancel"; }
    void InternalDelete() override
    {
        auto *b = static_cast<Buffer *>(ActiveBuffer());
        const int i = indexOf(b->id);
        if (i < 0) throw std::logic_error("delete of a record that does not exist");
        calls << QStringLiteral("delete %1").arg(b->id);
        m_rows.removeAt(i);
        m_pos = i;
    }
    void InternalGotoBookmark(const TBookmark &bookmark) override
    {
        m_pos = indexOf(idOf(bookmark));
        if (m_pos < 0) DatabaseError(QStringLiteral("Invalid Bookmark!"));
    }
    TBookmark GetBookmarkData(const TRecordBuffer *buffer) const override
    {
        const int id = static_cast<const Buffer *>(buffer)->id;
        return TBookmark(reinterpret_cast<const char *>(&id), sizeof id);
    }
    void SetBookmarkData(TRecordBuffer *buffer, const TBookmark &bookmark) override
    {
        static_cast<Buffer *>(buffer)->id = idOf(bookmark);
    }
    QVariant GetDataFieldValue(const TRecordBuffer *buffer, const TField *field) const override
    {
        const auto *b = static_cast<const Buffer *>(buffer);
        return b->values.value(field->FieldNo() - 1);
    }
    void SetDataFieldValue(TRecordBuffer *buffer, TField *field, const QVariant &value) override
    {
        auto *b = static_cast<Buffer *>(buffer);
        b->values[field->FieldNo() - 1] = value;
    }

private:
    static int idOf(const TBookmark &bookmark)
    {
        int id = 0;
        if (bookmark.size() == sizeof id) memcpy(&id, bookmark.constData(), sizeof id);
        return id;
    }
    int indexOf(int id) const
    {
        for (int i = 0; i < m_rows.size(); ++i)
            if (m_rows[i].id == id) return i;
        return -1;
    }

    TFieldDefs m_columns;
    QList<Row> m_rows;
    int m_nextId = 0;
    int m_pos = -1;
    int m_failed = 0;
    bool m_open = false;
};
