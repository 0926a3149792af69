#pragma once
// TExRichDBGrid: the list page's grid. It paints every data cell itself:
// alternating row colours that follow the row's place on the screen (not the
// record), a background picture, its own highlight colours, a per-cell
// attribute event, and values by field kind (memo text, check boxes, the
// plain string of date-times, pictures from blobs). It adds 3-D cells, a
// title check mark, multi-line titles and rows, locked columns in their own
// font and colour, and keeps the title row as high as its font needs.
//
// On top of painting: automatic column sizing (GridAutoSize, GridAutoWidth),
// hints for cut cell texts and for the dragged vertical thumb, hot tracking,
// dragging a column by its title with the left button (when the titles are
// not buttons), and an incremental search box over a title (SearchMode).
// All are off by default; the list page keeps them off.
//
// Editing (exrichdbgrid_editing.cpp), on an editable grid only: Space, Enter
// and F2 act by the field's kind (check boxes toggle, memos open the memo
// editor, dates the picker, blobs the field editor hook), Ctrl+C/Ctrl+V copy
// and paste the field, EnterAsTab, and AllowAutoAppend for Down past the end.
// Painting prepares the memo editor and the picker over the focused cell.

#include "grid/richdbgrid.h"

#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

class QTimer;


enum class TExportDelimiter { Pipe, Comma, Quote };
enum class TFlatCheckBoxType { Normal, Bold };
enum class TMemoViewType { WordWrapOn, ScrollBarsOn };
enum class TMemoInplaceEditor { Memo, RichEdit };
enum class TGridAutoWidthDisplay { Uniform, Proportional };

using TCellAttributeEvent =
    std::function<void(QObject *Sender, TField *Field, TGridCanvas &Canvas, TGridDrawState State)>;
using TColumnWidthChangedEvent = std::function<void(QObject *Sender, int Column)>;

class TExRichDBGrid : public TRichDBGrid
{
    Q_OBJECT
public:
    explicit TExRichDBGrid(QWidget *parent = nullptr);
    ~TExRichDBGrid() override;

    // The command menu's 26 commands, all offered by default.
    static constexpr quint32 AllExMenuOptions = (1u << 26) - 1;

    void SetDefaultRowHeight(int value) override;
    int SingleLineHeight() const { return m_singleLineHeight; }

    TColor EditColor() const { return m_editColor; }
    void SetEditColor(TColor value) { m_editColor = value; }
    bool RowSizingAllowed() const { return m_rowSizingAllowed; }
    void SetRowSizingAllowed(bool value);
    bool DisplayImages() const { return m_displayImages; }
    void SetDisplayImages(bool value) { repaintOnChange(m_displayImages, value); }
    bool DisplayMemo() const { return m_displayMemo; }
    void SetDisplayMemo(bool value) { repaintOnChange(m_displayMemo, value); }
    bool DisplayBoolean() const { return m_displayBoolean; }
    void SetDisplayBoolean(bool value) { repaintOnChange(m_displayBoolean, value); }
    bool DisplayDateTime() const { return m_displayDateTime; }
    void SetDisplayDateTime(bool value) { repaintOnChange(m_displayDateTime, value); }
    bool GridAutoSize() const { return m_gridAutoSize; }
    void SetGridAutoSize(bool value);
    bool GridAutoWidth() const { return m_gridAutoWidth; }
    void SetGridAutoWidth(bool value);
    bool FullSizeMemo() const { return m_fullSizeMemo; }
    void SetFullSizeMemo(bool value) { m_fullSizeMemo = value; }
    bool Cells3D() const { return m_cells3D; }
    void SetCells3D(bool value);
    bool CellHints() const { return m_cellHints; }
    void SetCellHints(bool value);
    TColor RowColor1() const { return m_rowColor1; }
    void SetRowColor1(TColor value) { repaintOnChange(m_rowColor1, value); }
    TColor RowColor2() const { return m_rowColor2; }
    void SetRowColor2(TColor value) { repaintOnChange(m_rowColor2, value); }
    bool UseRowColors() const { return m_useRowColors; }
    void SetUseRowColors(bool value) { repaintOnChange(m_useRowColors, value); }
    bool MultiLineTitles() const { return m_multiLineTitles; }
    void SetMultiLineTitles(bool value);
    bool MultiLineRows() const { return m_multiLineRows; }
    void SetMultiLineRows(bool value);
    int LinesPerRow() const { return m_linesPerRow; }
    void SetLinesPerRow(int value);
    bool TitleCheck() const { return m_titleCheck; }
    void SetTitleCheck(bool value) { repaintOnChange(m_titleCheck, value); }
    // One picture for every grid of the process.
    static QImage BackgroundPicture();
    static void SetBackgroundPicture(const QImage &picture);
    bool UseBackgroundPicture() const { return m_useBackgroundPicture; }
    void SetUseBackgroundPicture(bool value) { repaintOnChange(m_useBackgroundPicture, value); }
    TExportDelimiter ExportDelimiter = TExportDelimiter::Pipe;
    bool AllowAutoAppend = true;
    bool DrawFocusRect() const { return m_drawFocusRect; }
    void SetDrawFocusRect(bool value) { repaintOnChange(m_drawFocusRect, value); }
    bool EnterAsTab = false;
    TColor HighlightColor() const { return m_highlightColor; }
    void SetHighlightColor(TColor value) { repaintOnChange(m_highlightColor, value); }
    TColor HighlightFontColor() const { return m_highlightFontColor; }
    void SetHighlightFontColor(TColor value) { repaintOnChange(m_highlightFontColor, value); }
    TColor ImageHighlightColor() const { return m_imageHighlightColor; }
    void SetImageHighlightColor(TColor value) { repaintOnChange(m_imageHighlightColor, value); }
    bool HotTrack() const { return m_hotTrack; }
    void SetHotTrack(bool value);
    TColor HotTrackColor = clNavy;
    int LockedCols() const { return m_lockedCols; }
    void SetLockedCols(int value);
    QFont LockedFont() const { return m_lockedFont; }
    void SetLockedFont(const QFont &font);
    TColor LockedColor() const { return m_lockedColor; }
    void SetLockedColor(TColor value);
    bool FlatCheckBox() const { return m_flatCheckBox; }
    void SetFlatCheckBox(bool value) { repaintOnChange(m_flatCheckBox, value); }
    TFlatCheckBoxType FlatCheckBoxType() const { return m_flatCheckBoxType; }
    void SetFlatCheckBoxType(TFlatCheckBoxType value) { repaintOnChange(m_flatCheckBoxType, value); }
    TMemoViewType MemoViewType = TMemoViewType::WordWrapOn;
    bool ShowTextEllipsis() const { return m_showTextEllipsis; }
    void SetShowTextEllipsis(bool value) { repaintOnChange(m_showTextEllipsis, value); }
    bool ShowTitleEllipsis() const { return m_showTitleEllipsis; }
    void SetShowTitleEllipsis(bool value) { repaintOnChange(m_showTitleEllipsis, value); }
    bool SearchMode() const { return m_searchMode; }
    void SetSearchMode(bool value);
    quint32 ExMenuOptions = AllExMenuOptions;
    bool ScrollHints() const { return m_scrollHints; }
    void SetScrollHints(bool value);
    bool UseBitmapDrawing = false;
    TMemoInplaceEditor MemoInplaceEditor = TMemoInplaceEditor::Memo;
    bool DisplayPopupEditors = true;
    TGridAutoWidthDisplay GridAutoWidthDisplay() const { return m_autoWidthDisplay; }
    void SetGridAutoWidthDisplay(TGridAutoWidthDisplay value);
    bool MaskedColumnDrag = true;
    bool ShowTitlesWhenInactive() const { return m_showTitlesWhenInactive; }
    void SetShowTitlesWhenInactive(bool value) { repaintOnChange(m_showTitlesWhenInactive, value); }
    bool BoldTitlesWhenCells3D() const { return m_boldTitles3D; }
    void SetBoldTitlesWhenCells3D(bool value) { repaintOnChange(m_boldTitles3D, value); }
    bool BoldIndicatorsWhenCells3D() const { return m_boldIndicators3D; }
    void SetBoldIndicatorsWhenCells3D(bool value) { repaintOnChange(m_boldIndicators3D, value); }
    QString ReportCaption;
    QString RegistrySaveName;
    // The component's hint: short part, "|", long part. Cell hints replace
    // the short part.
    QString Hint;

    TCellAttributeEvent OnApplyCellAttribute;
    TGridNotifyEvent OnRightClick;
    TColumnWidthChangedEvent OnColumnWidthChanged;
    // Declared for handlers that set it; the grid's own code has nothing that raises it.
    TGridNotifyEvent OnCustomize;

    void Loaded() override;
    // Fixed columns, fonts and colours from LockedCols, LockedFont and LockedColor.
    void ApplyLockedCols();
    // The title row for the title font, or for the wrapped titles.
    void UpdateTitleHeight();
    // The check box's size, from the style.
    QSize CheckBoxSize() const;

    // The in-place editors painting prepares; null until first needed.
    QWidget *MemoEditor() const { return m_memoEditor; }
    QDateTimeEdit *DateTimePicker() const { return m_dateTimePicker; }
    // An in-place editor is shown (text, memo or date-time).
    bool EditorMode() const override;
    // Shows the memo editor or the date-time picker over the current cell,
    // as Space, Enter, F2 or the second click do.
    bool ShowMemoEditor(bool selectAll);
    bool ShowDateTimePicker();
    // The field editor window of blob cells (and of memos shown as text
    // without DisplayMemo). The grid has none of its own; an owner or a test
    // sets one.
    static std::function<void(TExRichDBGrid *grid, TField *field)> &fieldEditorHook();

    // Column widths from the values on screen, or stretched to the client
    // width; what the two switches apply, on demand.
    void AutoSizeColumns();
    void AutoWidthColumns();

    // The hint windows, the search box and the column-drag image and timer;
    // null until first needed.
    QLabel *CellHintWindow() const { return m_cellHint; }
    QLabel *ScrollHintWindow() const { return m_scrollHint; }
    QLineEdit *SearchBox() const { return m_searchBox; }
    QLabel *DragImage() const { return m_dragImage; }
    QTimer *DragTimer() const { return m_dragTimer; }

protected:
    void DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state) override;
    void DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                        TGridDrawState state) override;
    void DrawTitleCaption(QPainter &painter, const QRect &textRect, const TColumnTitle *title) override;
    void LinkActive(bool value) override;
    void LayoutChanged() override;
    void ColWidthsChanged(int dataCol) override;
    void TitleBtnClick(int dataCol, TField *field) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool CanEditShow() const override;
    bool AutoAppend() const override { return AllowAutoAppend; }
    void writeEditor() override;
    void DataChanged() override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void ThumbDragged(int position) override;
    void ThumbReleased() override;
    int columnDropTarget(const QPoint &pos) const override;
    void ColumnDragMoved(const QPoint &pos) override;
    void ColumnDragEnded() override;

    // Step 5 of a data cell: the value by the field's kind.
    void paintValue(TGridCanvas &canvas, const QRect &rect, TField *field, TColumn *column,
                    TGridDrawState state);
    void paintCheckBox(QPainter &painter, const QRect &rect, bool checked);
    bool paintPicture(QPainter &painter, const QRect &rect, TField *field);
    // Every cell text goes through here (tests watch it).
    virtual void drawText(QPainter &painter, const QRect &textRect, const QString &text, Qt::Alignment alignment);
    void prepareMemoEditor(const QRect &textRect);
    void prepareDateTimePicker(const QRect &rect, TField *field);

private:
    template <typename T>
    void repaintOnChange(T &member, T value)
    {
        if (member == value) return;
        member = value;
        viewport()->update();
    }
    QColor rowColor(int ordinal) const;
    void applyAutoLayout();
    void updateCellHint(const QPoint &pos);
    void hideCellHint();
    bool overCellHint() const;
    void pointerLeft();
    void destroyCellHint();
    bool forwardFromHint(QEvent *event);
    QLabel *makeHintWindow();
    void openSearch(int dataCol);
    void dragScrollTick();
    // Editing by the field's kind.
    enum class CellKind { Text, Boolean, Memo, MemoAsText, Blob, DateTime };
    CellKind kindOf(const TField *field) const;
    bool cellEditable() const;
    // The current cell when its own editor may show there (editable, on
    // screen, OnShowEditor agrees); else an empty rectangle.
    QRect ownEditorCell(TField *field);
    bool editKey(int key, Qt::KeyboardModifiers mods);
    void keepAppendedRow(bool wasInsert);
    void toggleBoolean(TField *field);
    void hideMemoEditor(bool write);
    void hidePicker();
    void pickerChanged(const QDateTime &value);
    bool pickerKey(QKeyEvent *event);
    bool memoKey(QKeyEvent *event);

    int m_singleLineHeight = 17;
    TColor m_editColor = clWindow;
    bool m_rowSizingAllowed = false;
    bool m_displayImages = true;
    bool m_displayMemo = true;
    bool m_displayBoolean = true;
    bool m_displayDateTime = true;
    bool m_gridAutoSize = false;
    bool m_gridAutoWidth = false;
    bool m_fullSizeMemo = false;
    bool m_cells3D = false;
    bool m_cellHints = false;
    bool m_hotTrack = false;
    bool m_searchMode = false;
    bool m_scrollHints = false;
    TGridAutoWidthDisplay m_autoWidthDisplay = TGridAutoWidthDisplay::Uniform;
    bool m_applyingAuto = false;
    TColor m_rowColor1 = RGBColor(111, 255, 186);
    TColor m_rowColor2 = clWindow;
    bool m_useRowColors = false;
    bool m_multiLineTitles = false;
    bool m_multiLineRows = false;
    int m_linesPerRow = 1;
    bool m_titleCheck = false;
    bool m_useBackgroundPicture = false;
    bool m_drawFocusRect = false;
    TColor m_highlightColor = clNavy;
    TColor m_highlightFontColor = clWhite;
    TColor m_imageHighlightColor = clWindow;
    int m_lockedCols = 0;
    QFont m_lockedFont;
    TColor m_lockedColor = clGray;
    bool m_flatCheckBox = true;
    TFlatCheckBoxType m_flatCheckBoxType = TFlatCheckBoxType::Normal;
    bool m_showTextEllipsis = false;
    bool m_showTitleEllipsis = false;
    bool m_showTitlesWhenInactive = false;
    bool m_boldTitles3D = false;
    bool m_boldIndicators3D = false;
    TColor m_hotTrackRestoreColor = clWindowText;
    bool m_applyingLocks = false;
    mutable QSize m_checkBoxSize;

    QPointer<QWidget> m_memoEditor;
    QPointer<QDateTimeEdit> m_dateTimePicker;
    TField *m_memoField = nullptr;
    bool m_memoModified = false;
    bool m_memoCrLf = false;
    TField *m_pickerField = nullptr;
    bool m_settingEditor = false;
    QPoint m_lastClickCell{-1, -1};
    QPointer<QLabel> m_cellHint;
    QPointer<QLabel> m_scrollHint;
    QPointer<QLineEdit> m_searchBox;
    QString m_searchField;
    QPointer<QLabel> m_dragImage;
    QTimer *m_dragTimer = nullptr;
    bool m_leftDrag = false;      // the current column move is this layer's left drag
    int m_dragGrab = 0;           // pointer's offset into the dragged title
    int m_dragStep = 0;           // -1 or 1 while the pointer is in an edge zone
};
