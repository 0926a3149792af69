#include "grid/column.h"

#include "grid/customdbgrid.h"

#include "data/dataset.h"
#include "data/field.h"

#include <QFontMetrics>

// ---- title ------------------------------------------------------------------

QString TColumnTitle::Caption() const
{
    if (m_captionSet) return m_caption;
    if (TField *f = m_column->Field()) return f->DisplayLabel();
    return m_column->FieldName();
}

void TColumnTitle::SetCaption(const QString &value)
{
    m_caption = value;
    m_captionSet = true;
    changed();
}

void TColumnTitle::SetAlignment(Qt::Alignment value)
{
    m_alignment = value;
    changed();
}

TColor TColumnTitle::Color() const
{
    return m_color != clNone ? m_color : m_column->Grid()->FixedColor();
}

void TColumnTitle::SetColor(TColor value)
{
    m_color = value;
    changed();
}

QFont TColumnTitle::Font() const
{
    return m_fontSet ? m_font : m_column->Grid()->TitleFont();
}

TColor TColumnTitle::FontColor() const
{
    return m_fontColor != clNone ? m_fontColor : m_column->Grid()->TitleFontColor();
}

void TColumnTitle::SetFont(const QFont &font)
{
    m_font = font;
    m_fontSet = true;
    changed();
}

void TColumnTitle::SetFontColor(TColor value)
{
    m_fontColor = value;
    changed();
}

void TColumnTitle::changed()
{
    m_column->changed();
}

// ---- column -----------------------------------------------------------------

TColumn::TColumn(TCustomDBGrid *grid) : m_grid(grid), m_title(this) {}

void TColumn::SetFieldName(const QString &value)
{
    m_fieldName = value;
    changed();
}

TField *TColumn::Field() const
{
    TDataSet *ds = m_grid->DataSet();
    return ds && !m_fieldName.isEmpty() ? ds->FindField(m_fieldName) : nullptr;
}

int TColumn::Index() const
{
    return m_grid->Columns().IndexOf(this);
}

void TColumn::SetIndex(int value)
{
    TDBGridColumns &list = m_grid->Columns();
    value = qBound(0, value, list.Count() - 1);
    const int from = Index();
    if (from >= 0 && from != value) list.Move(from, value);
}

int TColumn::Width() const
{
    return m_width >= 0 ? m_width : DefaultWidth();
}

void TColumn::SetWidth(int value)
{
    if (value < 0) value = 0;
    if (m_width == value) return;
    m_width = value;
    changed();
}

void TColumn::RestoreDefaultWidth()
{
    if (m_width < 0) return;
    m_width = -1;
    changed();
}

int TColumn::DefaultWidth() const
{
    TField *f = Field();
    if (!f) return 64;
    // A display width counts average digits, as the platform sized its columns.
    const QFontMetrics fm(Font());
    int w = f->DisplayWidth() * fm.horizontalAdvance(QLatin1Char('0'));
    if (m_grid->Options() & dgTitles)
        w = qMax(w, QFontMetrics(m_title.Font()).horizontalAdvance(m_title.Caption()));
    return w + 4;
}

void TColumn::SetVisible(bool value)
{
    m_visible = value;
    changed();
}

Qt::Alignment TColumn::Alignment() const
{
    if (m_alignmentSet) return m_alignment;
    if (TField *f = Field()) return f->Alignment & Qt::AlignHorizontal_Mask;
    return Qt::AlignLeft;
}

void TColumn::SetAlignment(Qt::Alignment value)
{
    m_alignment = value;
    m_alignmentSet = true;
    changed();
}

TColor TColumn::Color() const
{
    return m_color != clNone ? m_color : m_grid->Color();
}

void TColumn::SetColor(TColor value)
{
    m_color = value;
    changed();
}

QFont TColumn::Font() const
{
    return m_fontSet ? m_font : m_grid->font();
}

TColor TColumn::FontColor() const
{
    return m_fontColor != clNone ? m_fontColor : m_grid->FontColor();
}

void TColumn::SetFont(const QFont &font)
{
    m_font = font;
    m_fontSet = true;
    changed();
}

void TColumn::SetFontColor(TColor value)
{
    m_fontColor = value;
    changed();
}

void TColumn::changed()
{
    m_grid->Columns().changed();
}

// ---- list -------------------------------------------------------------------

int TDBGridColumns::IndexOf(const TColumn *column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].get() == column) return int(i);
    return -1;
}

TColumn *TDBGridColumns::Add()
{
    m_state = State::Customized;
    m_columns.push_back(std::make_unique<TColumn>(m_grid));
    changed();
    return m_columns.back().get();
}

void TDBGridColumns::Clear()
{
    if (m_columns.empty()) return;
    m_columns.clear();
    changed();
}

void TDBGridColumns::Move(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
    auto c = std::move(m_columns[size_t(from)]);
    m_columns.erase(m_columns.begin() + from);
    m_columns.insert(m_columns.begin() + to, std::move(c));
    changed();
}

void TDBGridColumns::SetState(State value)
{
    if (m_state == value) return;
    m_state = value;
    if (value == State::Default) RebuildColumns();
}

void TDBGridColumns::RebuildColumns()
{
    BeginUpdate();
    m_columns.clear();
    if (TDataSet *ds = m_grid->DataSet()) {
        for (TField *f : ds->Fields()) {
            if (!f->Visible) continue;
            auto c = std::make_unique<TColumn>(m_grid);
            c->SetFieldName(f->FieldName);
            m_columns.push_back(std::move(c));
        }
    }
    m_state = State::Default;
    changed();
    EndUpdate();
}

void TDBGridColumns::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0 && m_pending) {
        m_pending = false;
        m_grid->columnsChanged();
    }
}

void TDBGridColumns::changed()
{
    if (m_updateCount > 0) {
        m_pending = true;
        return;
    }
    m_grid->columnsChanged();
}
