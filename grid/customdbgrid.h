#pragma once
// TCustomDBGrid: the data-aware grid the rich grids build on. One row per
// record, one column per TColumn, an optional indicator column at the left
// and a title row at the top.
//
// Records come from the dataset's record-buffer ring: the grid's data link
// asks for as many buffers as whole rows fit on screen, and painting walks
// those buffers by moving the link's active record, so painting a screen
// never fetches. A grid without a vertical scroll bar never asks the dataset
// for RecordCount or RecNo (both walk the whole filtered table); one with a
// vertical bar uses them when the dataset answers (>= 0) and shows a
// three-position bar otherwise.
//
// Coordinates: grid column 0 is the indicator when dgIndicator is set, then
// the visible data columns; grid row 0 is the title row when dgTitles is set,
// then the data rows (data row i shows the link's record i). Data column
// indexes are indexes into Columns(). Fixed columns (the indicator and
// FixedCols data columns) never scroll horizontally; the horizontal bar
// scrolls by whole columns.

#include "grid/colors.h"
#include "grid/column.h"
#include "grid/gridtypes.h"

#include "data/dataset.h"

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QList>
#include <QPointer>

#include <functional>
#include <memory>

class TDataSource;
class TGridDataLink;

class TCustomDBGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TCustomDBGrid(QWidget *parent = nullptr);
    ~TCustomDBGrid() override;

    TDataSource *DataSource() const;
    void SetDataSource(TDataSource *source);
    // The dataset while the link is active, else null.
    TDataSet *DataSet() const;
    bool DataLinkActive() const;

    TDBGridColumns &Columns() { return m_columns; }
    const TDBGridColumns &Columns() const { return m_columns; }

    TDBGridOptions Options() const { return m_options; }
    virtual void SetOptions(TDBGridOptions value);
    // The plain grid's switches (see TGridOption).
    TGridOptions BaseOptions() const { return m_baseOptions; }
    void SetBaseOptions(TGridOptions value) { m_baseOptions = value; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);

    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    TColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor value);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor value);
    QFont TitleFont() const { return m_titleFont; }
    TColor TitleFontColor() const { return m_titleFontColor; }
    void SetTitleFont(const QFont &font);
    void SetTitleFontColor(TColor value);
    QColor resolve(TColor color) const { return ColorToQColor(color, palette()); }

    int DefaultRowHeight() const { return m_defaultRowHeight; }
    virtual void SetDefaultRowHeight(int value);
    int TitleRowHeight() const { return m_titleRowHeight; }
    void SetTitleRowHeight(int value);
    int IndicatorWidth() const { return 11; }
    static constexpr int GridLineWidth = 1;
    // Text height of the font as the original platform measures it: ascent and
    // descent each rounded up (Qt rounds the descent down, one pixel short).
    static int TextHeight(const QFont &font);

    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);

    // Current column (data column index) and its field.
    int SelectedIndex() const { return m_selectedIndex; }
    void SetSelectedIndex(int value);
    TField *SelectedField() const;
    // Data columns kept at the left, not counting the indicator.
    int FixedCols() const { return m_fixedCols; }
    virtual void SetFixedCols(int value);
    int IndicatorOffset() const { return m_options & dgIndicator ? 1 : 0; }
    int TitleOffset() const { return m_options & dgTitles ? 1 : 0; }
    // First data column after the fixed ones that is shown.
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int dataColumn);
    int VisibleRowCount() const;
    int RowHeight(int row) const;
    int RowTop(int row) const;

    // Cell geometry in viewport coordinates; an empty rectangle when the cell
    // is not on screen. MouseCoord gives -1 for a position outside any cell.
    QRect CellRect(int col, int row) const;
    void MouseCoord(const QPoint &pos, int &col, int &row) const;
    // Data column index of a grid column, or -1 for the indicator.
    int RawToDataColumn(int col) const;
    int DataToRawColumn(int dataColumn) const;

    // Bookmarks of the records selected with dgMultiSelect.
    const QList<TBookmark> &SelectedRows() const { return m_selectedRows; }
    bool RowSelected(const TBookmark &bookmark) const;
    void SelectRow(const TBookmark &bookmark, bool select);
    void ClearSelectedRows();

    // In-place editing. The text editor opens over the current cell on F2,
    // Enter or typing in an editable cell; its first change puts the dataset
    // into edit state, and its text reaches the field when the cell is left,
    // on Enter, or when the record is posted. Escape first takes back the
    // editor's change, then cancels the record's.
    virtual bool EditorMode() const;
    void SetEditorMode(bool value);
    QLineEdit *InplaceEditor() const { return m_editor; }
    // The grid may change data: editing on, not read-only, link active and writable.
    bool CanModifyData() const;
    // Questions ("Delete record?") and the refusal beep; tests replace them.
    static std::function<bool(QWidget *parent, const QString &text)> &confirmHook();
    static std::function<void()> &beepHook();

    // What a screen reader's table reads (grid/gridaccessible): the rows on
    // screen (the buffer ring, never the whole table; -1 for the title row),
    // the visible data columns by their place, titles, cell texts and
    // rectangles, and the current cell.
    int AccessibleRowCount() const;
    int AccessibleColumnCount() const;
    QString AccessibleColumnTitle(int column) const;
    QString AccessibleCellText(int row, int column) const;
    QRect AccessibleCellRect(int row, int column) const;
    int AccessibleCurrentRow() const;
    int AccessibleCurrentColumn() const;
    bool AccessibleSelectRow(int row);

    // While a layout is being applied (settings restore, many column changes).
    void BeginLayout();
    void EndLayout();
    bool InLayout() const { return m_layoutLock > 0; }

    std::function<void(QObject *Sender, const QRect &Rect, int DataCol, TColumn *Column,
                       TGridDrawState State)>
        OnDrawColumnCell;
    std::function<void(TColumn *Column)> OnCellClick;
    std::function<void(TColumn *Column)> OnTitleClick;
    std::function<void(QObject *Sender, int FromIndex, int ToIndex)> OnColumnMoved;
    std::function<void(QObject *Sender)> OnColEnter;
    std::function<void(QObject *Sender)> OnDblClick;

    // Called by the columns.
    void columnsChanged();
    // Called by the data link.
    void linkActive(bool value);
    void dataChanged();
    void updateData() { writeEditor(); }
    void scrolled(int distance);
    void recordChanged(TField *field);
    void editingChanged();
    void linkLayoutChanged();

protected:
    bool viewportEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    // Painting, cell by cell. The base paints titles, the indicator and data
    // cells (through DrawColumnCell with the link positioned on the row).
    virtual void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state);
    virtual void DrawTitleCell(QPainter &painter, int dataCol, const QRect &rect, TGridDrawState state);
    virtual void DrawIndicatorCell(QPainter &painter, int row, const QRect &rect);
    virtual void DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                                TGridDrawState state);
    // Text of the field in the cell, filled with the canvas brush.
    void DefaultDrawColumnCell(TGridCanvas &canvas, const QRect &rect, TField *field, TColumn *column);
    void drawCellText(QPainter &painter, const QRect &rect, int inset, const QString &text,
                      Qt::Alignment alignment);
    // Fills the part of the viewport below or right of the cells.
    virtual void PaintBackground(QPainter &painter, const QRect &cellsArea);

    // Hooks.
    virtual void LinkActive(bool value);
    virtual void LayoutChanged();
    virtual void DataChanged() {}
    virtual void TopLeftChanged() {}
    virtual void ColWidthsChanged(int dataCol) { Q_UNUSED(dataCol); }
    virtual void ColumnMoved(int fromIndex, int toIndex);
    virtual void ColEnter();
    virtual void TitleClick(TColumn *column);
    virtual void CellClick(TColumn *column);

    // Mouse handling of the base: selection, column sizing and moving. The
    // rich grid routes a right press on a title here as a left press.
    void gridMouseDown(Qt::MouseButton button, const QPoint &pos, Qt::KeyboardModifiers mods);
    void gridMouseMove(const QPoint &pos);
    void gridMouseUp(Qt::MouseButton button, const QPoint &pos);
    bool gridMouseBusy() const { return m_mouseMode != MouseMode::None; }
    // The grid column whose right edge is under pos in the title row, or -1.
    int sizingColumnAt(const QPoint &pos) const;

    // The grid's own painting and input.
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

    // Cursor moves the keyboard and the wheel make.
    void moveRecords(int distance);
    // Editing: whether the current cell takes the text editor, its showing
    // and hiding, and its pending text.
    virtual bool CanEditShow() const;
    virtual void EditChanged() {}
    bool ShowEditor(bool selectAll);
    void HideEditor();
    bool editorModified() const { return m_editorModified; }
    // Writes what the editors hold into their fields (before a post, or when
    // the cell is left). The rich grid adds its memo editor and picker.
    virtual void writeEditor();
    void placeEditor();
    // Down past the last record appends one (the rich grid makes it optional).
    virtual bool AutoAppend() const { return true; }
    // An appended record the user has not touched (dgCancelOnExit drops it).
    bool untouchedInsert() const;
    bool cancelUntouchedInsert();
    // Tab and Shift+Tab: the next cell, on to the next record at the row's end.
    void tabToCell(bool forward);
    void keyDown();
    void keyUp();
    void ignoreKey(QKeyEvent *event);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Rows resized with the mouse in the indicator column (off by default).
    bool RowSizing() const { return m_baseOptions & goRowSizing; }
    void SetRowSizing(bool value) { m_baseOptions.setFlag(goRowSizing, value); }
    bool tabsMoveCells() const { return (m_options & dgTabs) || (m_baseOptions & goTabs); }
    // The vertical thumb while the user drags it: position is the bar's value.
    virtual void ThumbDragged(int position) { Q_UNUSED(position); }
    virtual void ThumbReleased() {}
    // Moving a column by dragging its title. The target is the grid column a
    // drop at pos moves the column to, or -1 for none; the rich grid widens
    // the rules for its left-button drag and follows the drag with an image.
    int movingColumn() const { return m_mouseMode == MouseMode::MoveColumn ? m_mouseCol : -1; }
    virtual int columnDropTarget(const QPoint &pos) const;
    virtual void ColumnDragMoved(const QPoint &pos) { Q_UNUSED(pos); }
    virtual void ColumnDragEnded() {}

    virtual void RowHeightChanged(int height) { SetDefaultRowHeight(height); }
    void updateRowCount();
    void updateScrollBars();
    void invalidateTitles();
    void invalidateRow(int row);
    TGridDataLink *dataLink() const { return m_dataLink.get(); }
    // Fixed grid columns: the indicator and FixedCols data columns.
    int fixedColCount() const { return IndicatorOffset() + qMin(m_fixedCols, m_columns.Count()); }
    bool cellHasFocus() const;
    // The cursor's screen row; painting moves the link's active record row by row.
    int currentRow() const;

private:
    enum class MouseMode { None, Select, SizeColumn, MoveColumn, SizeRow };
    struct ColumnSpan
    {
        int col;
        int left;
        int width;
    };
    QList<ColumnSpan> columnSpans() const;
    int columnLineWidth() const { return m_options & dgColLines ? GridLineWidth : 0; }
    int rowLineWidth() const { return m_options & dgRowLines ? GridLineWidth : 0; }
    int maxLeftCol() const;
    TGridDrawState cellState(int col, int row, const TBookmark &rowBookmark) const;
    void moveColumn(int from, int to);
    void seekThumb();
    void clickCell(int col, int row, Qt::KeyboardModifiers mods);

    std::unique_ptr<TGridDataLink> m_dataLink;
    TDBGridColumns m_columns;
    TDBGridOptions m_options;
    bool m_readOnly = false;
    TColor m_color = clWindow;
    TColor m_fixedColor = clBtnFace;
    TColor m_fontColor = clWindowText;
    QFont m_titleFont;
    TColor m_titleFontColor = clWindowText;
    int m_defaultRowHeight = 17;
    int m_titleRowHeight = 17;
    TScrollStyle m_scrollBars = TScrollStyle::ssBoth;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    int m_selectedIndex = 0;
    int m_fixedCols = 0;
    int m_leftCol = 0;
    QList<TBookmark> m_selectedRows;
    int m_layoutLock = 0;
    bool m_layoutPending = false;
    bool m_updatingScrollBars = false;
    TGridOptions m_baseOptions = goColSizing | goColMoving;
    int m_paintActive = -1;

protected:
    // A plain click or cursor move clears the multi-selection.
    bool m_clearSelection = true;

private:

    QPointer<QLineEdit> m_editor;
    TField *m_editField = nullptr;
    bool m_editorModified = false;
    bool m_settingEditor = false;

    MouseMode m_mouseMode = MouseMode::None;
    int m_mouseCol = -1;
    int m_mouseRow = -1;
    int m_sizingStart = 0;
    int m_sizingWidth = 0;
    int m_moveTarget = -1;
    QPoint m_pressPos;
};
