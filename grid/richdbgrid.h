#pragma once
// TRichDBGrid: the data grid with title buttons, sort markers, blob glyphs,
// cell and button parameter events, and a column layout kept through a
// settings storage.
//
// Title buttons. With TitleButtons on and the dataset open, a left press on
// a data column's title presses it (OnCheckButton may refuse); the title
// shows pressed only while the pointer stays over that title, and the release
// raises OnTitleBtnClick only there. A right press on a title is handed to
// the base grid as a left press, so titles are moved and sized with the
// right button.
//
// Built-in sort. Loaded() installs a sort for datasets that expose one when
// OnTitleBtnClick is unassigned, and a marker rule when OnGetBtnParams is.
// An indexed table exposes the Qt property "IndexName" (writable) and the
// invokables "QStringList IndexNames()" and "QString IndexFieldNames(QString)";
// a query exposes the writable Qt property "SQL". Other datasets are left
// as they are.
//
// Column layout. With IniStorage set, the layout is written when the storage
// saves and read back when it restores, in the section
// <root section><class of the grid's window><grid name>.

#include "grid/customdbgrid.h"

#include "settings/inilink.h"

#include <functional>

class TFormPlacement;
class TIniFile;

enum class TSortMarker { smNone, smDown, smUp };

using TTitleClickEvent = std::function<void(QObject *Sender, int ACol, TField *Field)>;
using TCheckTitleBtnEvent = std::function<void(QObject *Sender, int ACol, TField *Field, bool &Enabled)>;
using TGetCellParamsEvent = std::function<void(QObject *Sender, TField *Field, QFont &AFont, QColor &AFontColor,
                                               QColor &Background, bool Highlight)>;
using TGetBtnParamsEvent = std::function<void(QObject *Sender, TField *Field, QFont &AFont, QColor &AFontColor,
                                              QColor &Background, TSortMarker &SortMarker, bool IsDown)>;
using TGetCellPropsEvent =
    std::function<void(QObject *Sender, TField *Field, QFont &AFont, QColor &AFontColor, QColor &Background)>;
using TDBEditShowEvent = std::function<void(QObject *Sender, TField *Field, bool &AllowEdit)>;
using TGridNotifyEvent = std::function<void(QObject *Sender)>;
using TGridMouseEvent =
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TGridMouseMoveEvent = std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TGridMouseWheelEvent =
    std::function<void(QObject *Sender, Qt::KeyboardModifiers Shift, const QPoint &MousePos, bool &Handled)>;
using TGridKeyPressEvent = std::function<void(QObject *Sender, QChar &Key)>;
using TGridContextPopupEvent = std::function<void(QObject *Sender, const QPoint &MousePos, bool &Handled)>;

class TRichDBGrid : public TCustomDBGrid
{
    Q_OBJECT
public:
    explicit TRichDBGrid(QWidget *parent = nullptr);
    ~TRichDBGrid() override;

    bool MultiSelect() const { return Options() & dgMultiSelect; }
    void SetMultiSelect(bool value);
    bool ClearSelection() const { return m_clearSelection; }
    void SetClearSelection(bool value) { m_clearSelection = value; }
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value);
    TFormPlacement *IniStorage() const { return m_iniLink.Storage(); }
    void SetIniStorage(TFormPlacement *storage) { m_iniLink.SetStorage(storage); }
    bool ShowGlyphs() const { return m_showGlyphs; }
    void SetShowGlyphs(bool value);
    bool TitleButtons() const { return m_titleButtons; }
    void SetTitleButtons(bool value);
    // The default row height; setting it sets the title row 2 pixels higher.
    int RowsHeight() const { return DefaultRowHeight(); }
    void SetRowsHeight(int value);

    // Ends the owner's set-up: installs the built-in sort and marker rules
    // where their events are unassigned. Runs on first show when not called.
    virtual void Loaded();
    bool IsLoaded() const { return m_loaded; }

    // The column layout through an INI object (what the storage link does).
    QString LayoutSection() const;
    void SaveLayout(TIniFile &ini);
    void RestoreLayout(TIniFile &ini);

    // The built-in sort's state: the field last sorted and its direction.
    const QString &SortField() const { return m_sortField; }
    bool SortDescending() const { return m_sortDescending; }

    // The data column whose title is pressed, or -1.
    int PressedTitle() const { return m_titleDown ? m_pressedCol : -1; }

    // An indexed table as the grid sees one (see the header): its index
    // names, and the fields of one index ("" when it cannot tell).
    static bool IsIndexedTable(const TDataSet *ds);
    static QStringList TableIndexNames(TDataSet *ds);
    static QString TableIndexFields(TDataSet *ds, const QString &index);

    TCheckTitleBtnEvent OnCheckButton;
    TGetCellPropsEvent OnGetCellProps;
    TGetCellParamsEvent OnGetCellParams;
    TGetBtnParamsEvent OnGetBtnParams;
    TGridNotifyEvent OnEditChange;
    TDBEditShowEvent OnShowEditor;
    TTitleClickEvent OnTitleBtnClick;
    TGridKeyPressEvent OnKeyPress;
    TGridNotifyEvent OnTopLeftChanged;
    TGridContextPopupEvent OnContextPopup;
    TGridMouseEvent OnMouseDown;
    TGridMouseMoveEvent OnMouseMove;
    TGridMouseEvent OnMouseUp;
    TGridMouseWheelEvent OnMouseWheelDown;
    TGridMouseWheelEvent OnMouseWheelUp;

protected:
    void DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                        TGridDrawState state) override;
    void DrawTitleCell(QPainter &painter, int dataCol, const QRect &rect, TGridDrawState state) override;
    void TopLeftChanged() override;
    // OnShowEditor may keep the editor hidden; OnEditChange follows its text.
    bool CanEditShow() const override;
    void EditChanged() override;
    // Ctrl+Delete: the current record, or every selected one, after asking.
    void deleteRecords();
    // Raises OnTitleBtnClick.
    virtual void TitleBtnClick(int dataCol, TField *field);
    // Font and background handlers ask for (OnGetCellProps, then OnGetCellParams).
    void GetCellParams(TGridCanvas &canvas, TField *field, bool highlight);
    // The glyph a blob field shows, or an empty name.
    static QString BlobGlyphName(TField *field);
    void paintTitleButton(QPainter &painter, int dataCol, const QRect &rect, bool pressed);
    // A title's caption in the area left by the edge and the marker.
    virtual void DrawTitleCaption(QPainter &painter, const QRect &textRect, const TColumnTitle *title);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool overPressedTitle(const QPoint &pos) const;
    void builtInSort(int dataCol, TField *field);
    bool sortTable(TDataSet *ds, const QString &fieldName, bool descending);
    bool sortQuery(TDataSet *ds, const QString &fieldName, bool descending);
    void saveFieldLayout(TIniFile &ini);
    void restoreFieldLayout(TIniFile &ini);

    TIniLink m_iniLink;
    bool m_defaultDrawing = true;
    bool m_showGlyphs = true;
    bool m_titleButtons = false;
    bool m_loaded = false;

    bool m_tracking = false;      // left button held on a title
    bool m_titleDown = false;     // ... and the pointer over it
    int m_pressedCol = -1;
    bool m_rightAsLeft = false;   // a right press handed to the base grid

    QString m_sortField;
    bool m_sortDescending = false;
};
