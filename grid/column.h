#pragma once
// TColumn and TColumnTitle: one entry of a data grid's column list, bound to
// a field of the grid's dataset by name. Properties that were never assigned
// follow the grid (font, colour) or the field (title caption, alignment,
// width), so a column declared before the dataset opens picks its defaults
// up once the field exists. TDBGridColumns is the grid's list; it is either
// declared by its owner (Customized) or built from the dataset's visible
// fields when the dataset opens (Default).

#include "grid/colors.h"

#include <QFont>
#include <QString>

#include <memory>
#include <vector>

class TCustomDBGrid;
class TColumn;
class TField;

class TColumnTitle
{
public:
    explicit TColumnTitle(TColumn *column) : m_column(column) {}

    QString Caption() const;
    void SetCaption(const QString &value);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment value);
    TColor Color() const;
    void SetColor(TColor value);
    QFont Font() const;
    TColor FontColor() const;
    void SetFont(const QFont &font);
    void SetFontColor(TColor value);

private:
    void changed();

    TColumn *m_column;
    QString m_caption;
    bool m_captionSet = false;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    TColor m_color = clNone;
    bool m_fontSet = false;
    QFont m_font;
    TColor m_fontColor = clNone;
};

class TColumn
{
public:
    explicit TColumn(TCustomDBGrid *grid);

    TCustomDBGrid *Grid() const { return m_grid; }
    const QString &FieldName() const { return m_fieldName; }
    void SetFieldName(const QString &value);
    // The field of that name in the grid's dataset, or null.
    TField *Field() const;

    int Index() const;
    void SetIndex(int value);

    int Width() const;
    void SetWidth(int value);
    bool WidthAssigned() const { return m_width >= 0; }
    // Back to the width the field and title give (DefaultWidth).
    void RestoreDefaultWidth();
    // Width from the field's display width and the title, as a fresh column gets.
    int DefaultWidth() const;
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    Qt::Alignment Alignment() const;
    void SetAlignment(Qt::Alignment value);
    TColor Color() const;
    void SetColor(TColor value);
    QFont Font() const;
    TColor FontColor() const;
    void SetFont(const QFont &font);
    void SetFontColor(TColor value);
    bool ReadOnly = false;

    TColumnTitle *Title() { return &m_title; }
    const TColumnTitle *Title() const { return &m_title; }

    void changed();

private:
    TCustomDBGrid *m_grid;
    QString m_fieldName;
    int m_width = -1;
    bool m_visible = true;
    bool m_alignmentSet = false;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    TColor m_color = clNone;
    bool m_fontSet = false;
    QFont m_font;
    TColor m_fontColor = clNone;
    TColumnTitle m_title;
};

class TDBGridColumns
{
public:
    enum class State { Default, Customized };

    explicit TDBGridColumns(TCustomDBGrid *grid) : m_grid(grid) {}

    int Count() const { return int(m_columns.size()); }
    TColumn *operator[](int index) const { return m_columns.at(size_t(index)).get(); }
    TColumn *Items(int index) const { return (*this)[index]; }
    int IndexOf(const TColumn *column) const;
    // A declared column: the list becomes Customized.
    TColumn *Add();
    void Clear();
    void Move(int from, int to);
    State state() const { return m_state; }
    void SetState(State value);
    // Default columns: one per visible field of the grid's dataset.
    void RebuildColumns();

    // Several changes, one relayout.
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    void changed();

private:
    TCustomDBGrid *m_grid;
    std::vector<std::unique_ptr<TColumn>> m_columns;
    State m_state = State::Default;
    int m_updateCount = 0;
    bool m_pending = false;
};
