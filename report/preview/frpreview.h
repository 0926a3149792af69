#pragma once
// TStandardPreview: the preview window of built reports. It shows the
// prepared pages of one report on a grey scrolled area (zoom, one or two
// pages, full screen), opens and saves prepared report files, saves the
// current page as an Enhanced Metafile or the whole report as PDF, finds text
// and prints through the report printer.
//
// ShowBuiltReport() is what the report engine calls (registered with
// Register()). A modal preview shows the report's own pages; a non-modal one
// shows a copy made through a prepared report file, freed with the window.
// A preview opened that way releases itself when it hides. The file, print
// and find dialogs go through dialogs(), which tests replace.

#include "report/preview/frpreviewlayout.h"
#include "report/preview/frtextsearch.h"

#include <QHash>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QToolBar;
class QToolButton;
class TFindForm;
class TfrReport;

struct TfrPrintRequest
{
    int fromPage = 1, toPage = 1;   // from 1
    int copies = 1;
    bool collate = false;
    QString printerName;            // empty: keep the selected printer
    QString pdfFile;                // the dialog's "print to file": PDF output
};

class TStandardPreview : public QWidget
{
    Q_OBJECT
public:
    enum ZoomChoice { Zoom200, Zoom150, Zoom100, Zoom75, Zoom50, Zoom25, ZoomWidth, ZoomOnePage, ZoomTwoPages };
    enum SaveChoice { SaveFrp = 1, SaveEmf = 2, SavePdf = 3 };   // export filters follow

    struct Dialogs
    {
        // File name, or empty when cancelled.
        std::function<QString(QWidget *parent, const QString &title, const QString &filter)> openFile;
        // File name and the 1-based filter choice.
        std::function<QString(QWidget *parent, const QString &filter, int &choice)> saveFile;
        std::function<bool(QWidget *parent, int pageCount, TfrPrintRequest &request)> print;
        std::function<bool(TFindForm &form)> find;
    };
    static Dialogs &dialogs();

    explicit TStandardPreview(QWidget *parent = nullptr);
    ~TStandardPreview() override;

    static void Register();
    static void ShowBuiltReport(TfrReport &report);
    static QList<TStandardPreview *> &openPreviews();

    // `owned`: freed when the window hides or is destroyed.
    void setReport(TfrReport *report, bool owned);
    TfrReport *report() const { return m_report; }

    int pageCount() const;
    int currentPage() const { return m_current; }     // from 0
    void ShowPage(int index);
    void NextPage();
    void PrevPage();
    void setZoomChoice(int choice);
    int zoomChoice() const { return m_zoomChoice; }
    const TfrPreviewLayout &layout() const { return m_layout; }
    int scrollY() const;

    void OpenReport();
    void SaveReport();
    void PrintReport();
    void FindText();
    // Searches with the options (no dialog): selects and blinks a match, or
    // shows the not-found message and stays on the page.
    bool FindNext(const TfrFindOptions &options);
    const TfrFindMatch &lastMatch() const { return m_match; }
    bool highlightShown() const { return m_match.found() && m_highlightOn; }
    // The match's rectangle on the area, in widget coordinates.
    QRect highlightRect() const;

    bool LoadFile(const QString &fileName);
    // Saves by choice; returns the file name written (empty on failure).
    QString SaveTo(const QString &fileName, int choice);
    void ToggleFullScreen();
    bool isFullScreenMode() const { return m_fullScreen; }

    QWidget *pageArea() const { return m_area; }
    QToolBar *toolBar() const { return m_toolBar; }
    QComboBox *zoomBox() const { return m_zoom; }
    QMenu *popupMenu() const { return m_menu; }

    // The area's painting (used by the area widget).
    void paintArea(QPainter &painter, const QRect &exposed);

signals:
    void hidden();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void relayout();
    void updateScrollBars();
    void scrollTo(int y);
    void updateCurrentFromScroll();
    void updatePageLabels();
    QPixmap pagePixmap(int index, const QSize &size);
    void blinkStep();
    void releaseReport();

    TfrReport *m_report = nullptr;
    bool m_ownsReport = false;
    bool m_releaseOnHide = false;

    TfrPreviewLayout m_layout;
    int m_zoomChoice = Zoom100;
    int m_current = 0;
    bool m_settingScroll = false;
    QHash<int, QPixmap> m_pixmaps;

    QToolBar *m_toolBar = nullptr;
    QComboBox *m_zoom = nullptr;
    QWidget *m_area = nullptr;
    QScrollBar *m_vbar = nullptr;
    QScrollBar *m_hbar = nullptr;
    QToolButton *m_prev = nullptr;
    QToolButton *m_next = nullptr;
    QWidget *m_sideBar = nullptr;
    QWidget *m_pageBar = nullptr;
    QLabel *m_pageLabel = nullptr;
    QMenu *m_menu = nullptr;

    bool m_fullScreen = false;
    bool m_changingFrame = false;
    Qt::WindowStates m_savedState;

    TfrFindMatch m_match;
    QTimer m_blink;
    int m_blinkSteps = 0;
    bool m_highlightOn = false;
};
