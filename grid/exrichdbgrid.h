#pragma once
// TExRichDBGrid: the list page's grid. It paints every data cell itself:
// alternating row colours that follow the row's place on the screen (not the
// record), a background picture, its own highlight colours, a per-cell
// attribute event, and values by field kind (memo text, check boxes, the
// plain string of date-times, pictures from blobs). It adds 3-D cells, a
// title check mark, multi-line titles and rows, locked columns in their own
// font and colour, and keeps the title row as high as its font needs.
//
// Automatic sizing, hints, hot tracking, left-button column dragging, the
// editing keys, the in-place editors and the search box build on the
// properties below; painting already prepares the memo editor and the
// date-time picker over a focused cell, hidden until a key or click shows it.

#include "grid/richdbgrid.h"

#include <QDateTimeEdit>
#include <QImage>
#include <QPointer>


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
    void SetCellHints(bool value) { m_cellHints = value; }
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
    bool HotTrack = false;
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
    bool SearchMode = false;
    quint32 ExMenuOptions = AllExMenuOptions;
    bool ScrollHints = false;
    bool UseBitmapDrawing = false;
    TMemoInplaceEditor MemoInplaceEditor = TMemoInplaceEditor::Memo;
    bool DisplayPopupEditors = true;
    TGridAutoWidthDisplay GridAutoWidthDisplay = TGridAutoWidthDisplay::Uniform;
    bool MaskedColumnDrag = true;
    bool ShowTitlesWhenInactive() const { return m_showTitlesWhenInactive; }
    void SetShowTitlesWhenInactive(bool value) { repaintOnChange(m_showTitlesWhenInactive, value); }
    bool BoldTitlesWhenCells3D() const { return m_boldTitles3D; }
    void SetBoldTitlesWhenCells3D(bool value) { repaintOnChange(m_boldTitles3D, value); }
    bool BoldIndicatorsWhenCells3D() const { return m_boldIndicators3D; }
    void SetBoldIndicatorsWhenCells3D(bool value) { repaintOnChange(m_boldIndicators3D, value); }
    QString ReportCaption;
    QString RegistrySaveName;

    TCellAttributeEvent OnApplyCellAttribute;
    TGridNotifyEvent OnRightClick;
    TColumnWidthChangedEvent OnColumnWidthChanged;
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
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

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
};
