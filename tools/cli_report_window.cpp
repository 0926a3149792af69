#include "tools/cli_report_window.h"
#include "app/diarytables.h"

#include "report/frregistry.h"
#include "report/frreport.h"

namespace {
// A closed table without rows: stands for a table that no archive filled.
class EmptyTable : public TDataSet
{
public:
    using TDataSet::TDataSet;

protected:
    void InternalOpen() override
    {
        m_open = true;
        if (DefaultFields()) CreateFields();
        BindFields(true);
    }
    void InternalClose() override { m_open = false; }
    bool IsCursorOpen() const override { return m_open; }
    TGetResult GetRecord(TRecordBuffer *, TGetMode mode, bool) override
    {
        return mode == TGetMode::Prior ? TGetResult::BOF : TGetResult::EOF_;
    }
    void InternalFirst() override {}
    void InternalLast() override {}
    void InternalSetToRecord(TRecordBuffer *) override {}
    void InternalInitRecord(TRecordBuffer *) override {}
    void InternalPost() override { DatabaseError(QStringLiteral("Table is read only")); }
    void InternalDelete() override { DatabaseError(QStringLiteral("Table is read only")); }
    void InternalGotoBookmark(const TBookmark &) override {}
    TBookmark GetBookmarkData(const TRecordBuffer *) const override { return TBookmark(); }
    void SetBookmarkData(TRecordBuffer *, const TBookmark &) override {}
    QVariant GetDataFieldValue(const TRecordBuffer *, const TField *) const override { return QVariant(); }
    void SetDataFieldValue(TRecordBuffer *, TField *, const QVariant &) override {}

private:
    bool m_open = false;
};

CliReportWindow::ArchiveOpener &opener()
{
    // The diary's own tables over the archive, held by the window under their names.
    static CliReportWindow::ArchiveOpener o = [](CliReportWindow &window, const QString &archive, QString *error) {
        auto *tables = new TDiaryTables(&window, &window);
        window.setTables(tables->Diario, tables->Intesta);
        // Reports read the days in date order, as the program's print command does.
        tables->Diario->SetSortedBy({QStringLiteral("Data")});
        try {
            tables->open(archive, true);
        } catch (const Exception &e) {
            if (error) *error = e.message();
            return false;
        }
        return true;
    };
    return o;
}
} // namespace

CliReportWindow::CliReportWindow()
{
    setObjectName(QStringLiteral("frm_main"));
    setTables(new EmptyTable, new EmptyTable);
    m_report = new TfrReport(this);
    m_report->setObjectName(QStringLiteral("frReport1"));
    frRegistry::registerOwner(this);
}

CliReportWindow::~CliReportWindow()
{
    frRegistry::unregisterOwner(this);
    delete m_report;
    m_report = nullptr;
}

void CliReportWindow::setArchiveOpener(ArchiveOpener o) { opener() = std::move(o); }

bool CliReportWindow::openArchive(const QString &archive, QString *error) { return opener()(*this, archive, error); }

void CliReportWindow::setTables(TDataSet *diario, TDataSet *intesta)
{
    delete m_diario;
    delete m_intesta;
    m_diario = diario;
    m_intesta = intesta;
    m_diario->setParent(this);
    m_diario->setObjectName(QStringLiteral("Diario"));
    m_intesta->setParent(this);
    m_intesta->setObjectName(QStringLiteral("Intesta"));
}
