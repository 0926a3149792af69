#pragma once
// TFRDesignerForm: the report designer window ("Modellatore"). It edits a
// report in place: its design pages and their objects, through tool bars,
// menus, the mouse and the keyboard. Every change is recorded as a snapshot of
// the whole report (undo and redo); files are read and written in the template
// format. The window is modal: exec() returns when it closes.

#include "report/designer/fralignment.h"
#include "report/designer/frundohistory.h"
#include "report/frloadresult.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QEventLoop;
class QLabel;
class QMenu;
class QScrollArea;
class QSpinBox;
class QTabBar;
class QToolBar;
class TfrDesignPage;
class TfrPage;
class TfrReport;
class TfrRuler;
class TfrView;
class TInspForm;
class TAlignForm;

class TFRDesignerForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFRDesignerForm(TfrReport &report, QWidget *parent = nullptr);
    ~TFRDesignerForm() override;

    // Shows the window modally until it closes.
    void exec();

    TfrReport &Report() const { return m_report; }
    TfrPage *Page() const;
    int CurPage() const { return m_curPage; }
    void SetCurPage(int index);

    // Selection.
    QList<TfrView *> Selection() const;
    int SelNum() const;
    // The object selected alone, else nullptr.
    TfrView *SelectedObject() const;
    void SelectOnly(TfrView *view);
    void ClearSelection();
    void SelectionChanged();
    // The selected objects moved or changed size (a drag in progress).
    void GeometryChanged();

    // Tools: select, then the insertion tools, then one per add-in.
    enum Tool { ToolSelect = 0, ToolMemo, ToolBand, ToolPicture, ToolSubReport, ToolAddIn };
    int CurrentTool() const { return m_tool; }
    void SetTool(int tool);

    int GridSize = 4;
    bool GridAlign = true;
    bool ShowGrid = true;
    int Units = 1;                  // 0 pixels, 1 millimetres, 2 inches
    bool SelectionInvert = false;   // "Inverti" instead of "Bordo"
    QString DefaultFontName;
    int DefaultFontSize = 10;
    // The family list of the font box and the default font's rule.
    static QStringList FontFamilies();
    static QString DefaultFont(const QStringList &families);

    // Commands.
    void NewReport();
    void NewFromWizard();            // "Nuovo da autocomposizione..."
    void EditVariables();            // "Lista variabili..."
    void OpenReport();
    bool OpenFile(const QString &path);
    bool Save();
    bool SaveAs();
    // Saves a template "<name>.frt" in the template folder, after its description.
    bool SaveAsTemplate(const QString &name);
    void NewFromTemplate();          // "Nuovo da modello..."
    void Preview();
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void DeleteSelected();
    void BringToFront();
    void SendToBack();
    void SelectAll();
    // The alignment palette's commands, against the reference object.
    void Align(frAlign::Command command);
    // The object the palette aligns to: the one selected alone before Shift
    // added others, while it stays selected; else the selected one last in
    // the page's list.
    TfrView *ReferenceObject() const;
    // Back to the design page after a tool window applied something.
    void ReturnFocus();
    void AddPage();
    void RemovePage();
    // Enter: the editor of the object's kind; Ctrl+Enter (`textOnly`): the text editor.
    void EditSelected(bool textOnly = false);
    // Whether an object kind has an editor for Enter and "Modifica...".
    static bool HasEditor(const TfrView *view);
    void EditPageOptions();          // "Opzioni pagina"
    void EditPageList();             // "Gestione pagine"
    void EditReportOptions();        // "Opzioni report..."
    // The context menu's entries the selected objects add: option flags.
    struct ObjectEntry
    {
        QString text;
        int flag;
    };
    QList<ObjectEntry> ObjectEntries() const;
    void ToggleObjectFlag(int flag);
    // Inserts with the active tool over a rectangle dragged on the page (a
    // click gives an empty one), and returns to the selection tool.
    void InsertObject(QRect rect);
    // Moves or resizes the selected objects by pixels (Ctrl/Shift+arrows).
    void MoveSelection(int dx, int dy);
    void ResizeSelection(int dx, int dy);
    // A key the surface or a tool window did not use.
    bool HandleKey(QKeyEvent *event);
    void ShowContextMenu(QPoint globalPos);
    // Records the report as it is now; disables redo.
    void AddUndoSnapshot();
    bool HasChanges() const { return m_history.hasChanges(); }
    const TfrUndoHistory &History() const { return m_history; }
    // The place where a paste puts the group's top-left corner.
    QPoint PastePosition() const;
    // A value in the chosen unit, "0.##".
    QString FormatUnits(int pixels) const;

    // Attribute buttons: each acts on the selected objects (text attributes on
    // text objects only) and records a snapshot.
    void SetFrameLine(int line, bool on);
    void SetAllFrameLines(bool on);
    void SetFrameWidth(int width);
    void ChooseFillColor();
    void ChooseFrameColor();
    void ChooseFontColor();
    void SetFontName(const QString &name);
    void SetFontSize(int size);
    void SetFontStyle(int style, bool on);
    void SetHAlign(int align);
    void SetVAlign(int align);
    void SetRotated(bool on);
    // "Attributi evidenziatura": the highlight of the selected text objects.
    void EditHighlight();

    QStringList RecentFiles;

    // The window's parts, for the tool windows and for tests.
    TfrDesignPage *PageView = nullptr;
    QScrollArea *ScrollBox = nullptr;
    QTabBar *PageTabs = nullptr;
    TfrRuler *HRuler = nullptr;
    TfrRuler *VRuler = nullptr;
    QLabel *StatusLabel = nullptr;
    QToolBar *StandardBar = nullptr, *TextBar = nullptr, *FrameBar = nullptr, *ObjectBar = nullptr;
    QComboBox *FontNameBox = nullptr, *FontSizeBox = nullptr;
    QSpinBox *FrameWidthBox = nullptr;
    QMenu *FileMenu = nullptr, *EditMenu = nullptr, *ToolsMenu = nullptr, *RecentMenu = nullptr;
    QMenu *ContextMenu = nullptr;
    // Every action by its text without "&" (menus first, then bars).
    QAction *Action(const QString &text) const;
    QList<QAction *> ToolActions;
    TInspForm *InspForm = nullptr;
    TAlignForm *AlignForm = nullptr;
    QAction *InspectorAction = nullptr;     // "Controllo Oggetto"
    QAction *AlignAction = nullptr;         // "Strumenti di allineamento"

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildActions();
    void buildMenus();
    void buildBars();
    void buildBody();
    QAction *makeAction(const QString &text, const QString &objectName);
    void readSettings();
    void writeSettings();
    // The closing question; false when the user cancelled or a save failed.
    bool checkChanges();
    void restoreSnapshot(const QByteArray &snapshot);
    void restartHistory();
    void renumberTabs();
    void updateTitle();
    void updateControls();
    void updateStatus();
    void updateRecentMenu();
    void applyToSelection(bool textOnly, const std::function<void(TfrView *)> &change);
    bool saveTo(const QString &path);
    // Loads another report in place of this one with a fresh history; on
    // failure puts the current one back and shows why.
    bool replaceReport(const std::function<TfrLoadResult()> &load);
    void showMessage(const QString &text, const QString &caption);

    TfrReport &m_report;
    int m_curPage = 0;
    int m_tool = ToolSelect;
    TfrUndoHistory m_history;
    // The report as it was when the designer opened, for "No" on closing.
    QByteArray m_initial;
    QString m_initialFileName, m_initialPath;
    QEventLoop *m_loop = nullptr;
    bool m_updating = false;
    bool m_discarded = false;     // "No" in the last closing question
    TfrView *m_reference = nullptr;
    void readToolWindow(QWidget *window, QAction *toggle, QPoint defaultPlace);
    void writeToolWindow(QWidget *window, QAction *toggle);
    void showToolWindow(QWidget *window, bool visible);
    QActionGroup *m_toolGroup = nullptr;
};
