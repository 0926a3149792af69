#pragma once
// TfrReport: the report component. It owns the design pages (with their
// objects), the named values and variables, the DatasetTable of report
// datasets read from a template, and the prepared pages of a build. It loads
// and saves templates with the folder rules, links datasets to data bands,
// finds objects and datasets by name, and hands building, previewing and
// designing to the modules registered for them.

#include "report/frempages.h"
#include "report/frloadresult.h"
#include "report/frpages.h"
#include "report/frvalues.h"
#include "report/frvariant.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QIODevice;
class TfrBuildContext;
class TDataSet;
class TfrDataset;
class TfrView;

enum TfrDsgOption { doSaveConfirm = 1 };

class TfrReport : public QObject
{
    Q_OBJECT
public:
    explicit TfrReport(QObject *owner = nullptr);
    ~TfrReport() override;

    // Published, in order.
    bool ShowProgress = true;
    QString TemplateDir;
    QString Title;
    TfrValues Values;
    bool DisableDataSetControls = true;
    bool ModalPreview = true;
    QString ReportDir;
    const QString &AutoLoad() const { return m_autoLoad; }
    TfrLoadResult SetAutoLoad(const QString &fileName);
    QString PathFromExe;
    int PixelsPerInch;
    bool Scaled = true;
    int DesignerOptions = doSaveConfirm;

    std::function<void(const QString &bandName, TDataSet *dataSet, int &recordCount, int operation)> OnDataSetWork;
    std::function<void(bool &doContinue)> OnBeforePrint;
    std::function<void()> OnAfterPrint;
    std::function<void()> OnBeginDoc;
    std::function<void()> OnEndDoc;
    std::function<void(int pg)> OnBeginPage;
    std::function<void(int pg)> OnEndPage;
    std::function<void(const QString &parName, TfrVariant &parValue)> OnGetValue;
    std::function<void(const QString &name, const TfrVariant &p1, const TfrVariant &p2, const TfrVariant &p3,
                       TfrVariant &val)> OnUserFunction;
    std::function<void(int n, bool isPage)> OnProgress;
    std::function<void(TfrView *view)> OnDrawObject;

    // Further state.
    TfrPages Pages;
    TfrEMFPages EMFPages;
    QStringList Variables;
    bool UseDefaultPrinter = true;
    bool TwoPass = false;
    bool InterleavePages = false;
    bool NumberInterleaved = false;
    QString FileName;                 // without folder
    // Where the template was last read from or written to (absolute), so an
    // editor saves it back there whatever the current directory is.
    const QString &FilePath() const { return m_filePath; }
    void SetFilePath(const QString &path) { m_filePath = path; }
    bool Building = false;
    bool HasPreparedPages = false;
    bool Terminated = false;          // cancel asked (or BuildError set)

    // Variables: categories and their variables (without the leading blank).
    QStringList GetCategoryList() const;
    QStringList GetVarList(int category) const;
    int FindVariable(const QString &name) const;   // line index, -1

    // The DatasetTable, sorted by name (case-insensitive).
    int DatasetCount() const { return int(m_datasets.size()); }
    TfrDataset *DatasetAt(int index) const { return m_datasets[index].dataset; }
    QString DatasetName(int index) const { return m_datasets[index].name; }
    TfrDataset *FindDatasetInTable(const QString &name) const;
    // Adds under its own name; `owned` entries are freed with the report.
    void AddDataset(TfrDataset *dataset, bool owned);
    void RemoveDataset(const QString &name);      // frees it when owned
    void ClearDatasets();

    // "Owner.Report" (or the report's name without an owner).
    QString FullName() const;

    // The state of this report's work: build state, draw mode, its evaluator
    // and its printer selection.
    TfrBuildContext &Context() const { return *m_context; }

    // Files. A file that is missing, in a folder not allowed or that cannot be
    // opened throws Exception with the engine's messages; what was read comes
    // back as a result (a corrupt stream leaves one empty page). Nothing is
    // shown: the caller shows the result's messages (frShowLoadResult).
    TfrLoadResult LoadTemplate(const QString &fileName);
    void SaveTemplate(const QString &fileName);
    TfrLoadResult LoadTemplateStream(QIODevice &stream);
    TfrLoadResult LoadTemplateData(const QByteArray &data);
    void SaveTemplateStream(QIODevice &stream);
    QByteArray SaveTemplateData();
    TfrLoadResult ReloadIfChanged();
    void ClearReport();
    TfrLoadResult DesignTemplate();
    void PreviewReport();
    TfrBuildResult BuildReport();
    void LinkDataset(const QString &bandName, TfrDataset *dataset);

    // Removes a design page. Subreports name their page by index: those after it
    // move down by one, and a subreport whose page goes is removed with it.
    void RemovePage(int index);
    // Puts the pages in a new order (position i takes the page at order[i])
    // and points every subreport at its page's new place.
    bool MovePages(const QList<int> &order);

    // Objects.
    TfrView *FindObject(const QString &name, const TfrView *except = nullptr) const;
    // A new object of a kind (0-3) or add-in class, with its automatic name; not placed.
    TfrView *CreateObject(int kind, const QString &className = QString());
    QString UniqueName(const TfrView *view) const;
    // Renames after checking the name (message through the sink on refusal).
    bool RenameObject(TfrView *view, const QString &newName);
    // Removes and frees an object; a data band or chart takes its dataset with it.
    void DeleteObject(TfrView *view);

    // A report dataset for a data band: owned by the report's owner, then in the table.
    TfrDataset *FindReportDataset(const QString &name) const;
    // A database dataset for a value binding ("Component" or "Form.Component").
    TDataSet *FindDataSet(const QString &name) const;

private:
    struct DatasetEntry
    {
        QString name;
        TfrDataset *dataset;
        bool owned;
    };
    QList<DatasetEntry> m_datasets;
    std::unique_ptr<TfrBuildContext> m_context;
    QString m_autoLoad;
    QString m_filePath;
    QString m_autoLoadPath;
    QDateTime m_autoLoadTime;
};

// Whether a name is acceptable for an object: "_" or a letter A-Z first, then
// letters, digits and "_".
bool frValidObjectName(const QString &name);
