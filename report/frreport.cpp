#include "report/frreport.h"

#include "core/safefile.h"

#include "report/frbandview.h"
#include "report/frbuildcontext.h"
#include "report/frloadresult.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frexpr.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frpictureview.h"
#include "report/frregistry.h"
#include "report/frresolver.h"
#include "report/frsubreportview.h"
#include "report/frtemplatereader.h"
#include "report/frtemplatewriter.h"

#include "core/exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace {
// Larger files are not templates; reading them whole would only waste memory.
constexpr qint64 MaxTemplateSize = 64 * 1024 * 1024;

QString withExtension(const QString &fileName)
{
    const QString file = QFileInfo(fileName).fileName();
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && file.mid(dot).toUpper() == QLatin1String(".FRF")) return fileName;
    return fileName + QStringLiteral(".frf");
}

bool hasFolder(const QString &fileName) { return fileName.contains(QLatin1Char('/')); }

QString folderOf(const QString &fileName)
{
    const int slash = fileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : fileName.left(slash);
}

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

int screenPixelsPerInch()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (QScreen *screen = QGuiApplication::primaryScreen()) return qRound(screen->logicalDotsPerInch());
    return 96;
}
} // namespace

bool frValidObjectName(const QString &name)
{
    if (name.isEmpty()) return false;
    const auto letter = [](QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!(name[0] == '_' || letter(name[0]))) return false;
    for (QChar c : name)
        if (!(c == '_' || letter(c) || (c >= '0' && c <= '9'))) return false;
    return true;
}

TfrReport::TfrReport(QObject *owner)
    : QObject(owner), PixelsPerInch(screenPixelsPerInch()), m_context(std::make_unique<TfrBuildContext>(this))
{
    Pages.Add();
}

TfrReport::~TfrReport()
{
    ClearDatasets();
    if (CurrentReport() == this) frActivateContext(nullptr);
}

TfrLoadResult TfrReport::SetAutoLoad(const QString &fileName)
{
    if (fileName == m_autoLoad) return {};
    m_autoLoad = fileName;
    if (fileName.isEmpty()) {
        ClearReport();
        return {};
    }
    return LoadTemplate(fileName);
}

QStringList TfrReport::GetCategoryList() const
{
    QStringList out;
    for (const QString &line : Variables)
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(' '))) out << line;
    return out;
}

QStringList TfrReport::GetVarList(int category) const
{
    QStringList out;
    int n = -1;
    for (const QString &line : Variables) {
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(' '))) {
            if (++n > category) break;
            continue;
        }
        if (n == category && line.startsWith(QLatin1Char(' '))) out << line.mid(1);
    }
    return out;
}

int TfrReport::FindVariable(const QString &name) const
{
    return int(Variables.indexOf(QLatin1Char(' ') + name));
}

TfrDataset *TfrReport::FindDatasetInTable(const QString &name) const
{
    for (const DatasetEntry &e : m_datasets)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) return e.dataset;
    return nullptr;
}

void TfrReport::AddDataset(TfrDataset *dataset, bool owned)
{
    if (!dataset) return;
    const QString name = dataset->objectName();
    RemoveDataset(name);
    qsizetype at = 0;
    while (at < m_datasets.size() && m_datasets[at].name.compare(name, Qt::CaseInsensitive) < 0) ++at;
    m_datasets.insert(at, DatasetEntry{name, dataset, owned});
}

void TfrReport::RemoveDataset(const QString &name)
{
    for (qsizetype i = 0; i < m_datasets.size(); ++i) {
        if (m_datasets[i].name.compare(name, Qt::CaseInsensitive) != 0) continue;
        const DatasetEntry e = m_datasets.takeAt(i);
        if (e.owned) delete e.dataset;
        return;
    }
}

void TfrReport::ClearDatasets()
{
    const QList<DatasetEntry> entries = std::exchange(m_datasets, {});
    for (const DatasetEntry &e : entries)
        if (e.owned) delete e.dataset;
}

QString TfrReport::FullName() const
{
    return parent() ? parent()->objectName() + QLatin1Char('.') + objectName() : objectName();
}

TfrLoadResult TfrReport::LoadTemplate(const QString &fileName)
{
    QString name = withExtension(fileName);
    if (!ReportDir.isEmpty()) {
        const QString folder = hasFolder(name) ? folderOf(name) : ReportDir;
        if (withSlash(folder).compare(withSlash(ReportDir), Qt::CaseInsensitive) != 0)
            throw Exception(QStringLiteral("Si è tentato di caricare il report \"") + FullName()
                            + QStringLiteral("\" da una cartella non valida.\r\n"
                                             "E' possibile caricare il report solo dalla cartella:  \"")
                            + ReportDir + QLatin1Char('"'));
        name = withSlash(folder) + QFileInfo(name).fileName();
    }
    const QString previousDir = QDir::currentPath();
    bool changedDir = false;
    if (!QFileInfo::exists(name)) {
        QDir::setCurrent(QCoreApplication::applicationDirPath());
        if (!PathFromExe.isEmpty()) QDir::setCurrent(PathFromExe);
        changedDir = QFileInfo::exists(name);
        if (!changedDir) QDir::setCurrent(previousDir);
    }
    if (!QFileInfo::exists(name))
        throw Exception(QStringLiteral("Si è tentato di caricare da disco il report '") + FullName()
                        + QStringLiteral("'. \r\nMa il file '") + name + QStringLiteral("' è inesistente"));
    if (!m_autoLoad.isEmpty()) {
        m_autoLoadPath = QFileInfo(name).absoluteFilePath();
        m_autoLoadTime = QFileInfo(name).lastModified();
    }
    QFile file(name);
    const bool opened = file.open(QIODevice::ReadOnly);
    const QString openError = file.errorString();
    TfrLoadResult result;
    if (opened) result = LoadTemplateStream(file);
    if (changedDir) QDir::setCurrent(previousDir);
    if (!opened) throw Exception(QStringLiteral("Impossibile aprire il file '%1': %2").arg(name, openError));
    FileName = QFileInfo(name).fileName();
    m_filePath = QFileInfo(name).absoluteFilePath();
    return result;
}

void TfrReport::SaveTemplate(const QString &fileName)
{
    QString name = withExtension(fileName);
    if (!ReportDir.isEmpty()) {
        if (hasFolder(name)) {
            if (withSlash(folderOf(name)).compare(withSlash(ReportDir), Qt::CaseInsensitive) != 0)
                throw Exception(QStringLiteral("Si è tentato di salvare il report \"") + FullName()
                                + QStringLiteral("\" in una cartella non valida.\r\n"
                                                 "E' possibile salvare il report solo nella cartella:  \"")
                                + ReportDir + QLatin1Char('"'));
        } else {
            name = withSlash(ReportDir) + name;
        }
    }
    if (!safefile::write(name, SaveTemplateData()))
        throw Exception(QStringLiteral("Si è verificato un errore durante la fase di salvataggio del report"));
    FileName = QFileInfo(name).fileName();
    m_filePath = QFileInfo(name).absoluteFilePath();
}

TfrLoadResult TfrReport::LoadTemplateStream(QIODevice &stream)
{
    const qint64 base = stream.isSequential() ? 0 : stream.pos();
    const qint64 size = stream.isSequential() ? -1 : stream.size() - base;
    const QByteArray data = size > MaxTemplateSize ? QByteArray() : stream.read(MaxTemplateSize + 1);
    if (size > MaxTemplateSize || data.size() > MaxTemplateSize) {
        // Read as a corrupt stream, so the report is left as after any other.
        TfrLoadResult result = LoadTemplateData(QByteArray(1, char(4)));
        result.Offset = base;
        result.Reason = QStringLiteral("corrupt at byte %1: longer than %2 bytes").arg(base).arg(MaxTemplateSize);
        return result;
    }
    return TfrTemplateReader(*this).read(data, base);
}

TfrLoadResult TfrReport::LoadTemplateData(const QByteArray &data) { return TfrTemplateReader(*this).read(data, 0); }

void TfrReport::SaveTemplateStream(QIODevice &stream)
{
    const qint64 base = stream.isSequential() ? 0 : stream.pos();
    stream.write(TfrTemplateWriter(*this).write(base));
}

QByteArray TfrReport::SaveTemplateData() { return TfrTemplateWriter(*this).write(0); }

TfrLoadResult TfrReport::ReloadIfChanged()
{
    if (m_autoLoad.isEmpty() || m_autoLoadPath.isEmpty()) return {};
    if (QFileInfo(m_autoLoadPath).lastModified() == m_autoLoadTime) return {};
    return LoadTemplate(m_autoLoadPath);
}

void TfrReport::ClearReport()
{
    EMFPages.Clear();
    HasPreparedPages = false;
    Pages.Clear();
    Pages.Add();
    Variables.clear();
    Values.Clear();
    UseDefaultPrinter = true;
    TwoPass = InterleavePages = NumberInterleaved = false;
    FileName.clear();
    m_filePath.clear();
    ClearDatasets();
}

void TfrReport::RemovePage(int index)
{
    if (index < 0 || index >= Pages.Count()) return;
    Pages.Delete(index);
    for (int p = 0; p < Pages.Count(); ++p) {
        const QList<TfrView *> objects = Pages[p]->Objects;
        for (TfrView *v : objects) {
            auto *sub = dynamic_cast<TfrSubReportView *>(v);
            if (!sub) continue;
            if (sub->TargetPage == index) DeleteObject(sub);
            else if (sub->TargetPage > index) --sub->TargetPage;
        }
    }
}

bool TfrReport::MovePages(const QList<int> &order)
{
    if (!Pages.Reorder(order)) return false;
    for (int p = 0; p < Pages.Count(); ++p)
        for (TfrView *v : Pages[p]->Objects)
            if (auto *sub = dynamic_cast<TfrSubReportView *>(v)) {
                const int moved = int(order.indexOf(sub->TargetPage));
                if (moved >= 0) sub->TargetPage = moved;
            }
    return true;
}

TfrLoadResult TfrReport::DesignTemplate()
{
    // A template changed on disk is read again; the designer opens on what
    // could be read, and the caller shows why the rest could not.
    TfrLoadResult reloaded = ReloadIfChanged();
    if (Pages.Count() == 0) Pages.Add();
    TfrContextScope scope(this);
    if (frRegistry::designer()) frRegistry::designer()(*this);
    return reloaded;
}

TfrBuildResult TfrReport::BuildReport()
{
    TfrContextScope scope(this);
    TfrBuildResult result;
    if (frRegistry::builder() && frRegistry::builder()(*this)) return result;
    result.Ok = false;
    if (frBuildErrorSet()) {
        result.Messages.append({frBuildErrorText(), QCoreApplication::applicationName(), TfrMessageIcon::Information});
        result.Reason = frBuildErrorText();
    } else {
        result.Reason = frRegistry::builder() ? QStringLiteral("build stopped") : QStringLiteral("no builder installed");
    }
    return result;
}

void TfrReport::PreviewReport()
{
    TfrContextScope scope(this);
    const TfrBuildResult built = BuildReport();
    if (!built.Messages.isEmpty()) {
        frBeep();
        frShowLoadResult(built);
    } else if (built && frRegistry::preview()) {
        frRegistry::preview()(*this);
    }
    EMFPages.Clear();
    HasPreparedPages = false;
    frClearBuildError();
}

void TfrReport::LinkDataset(const QString &bandName, TfrDataset *dataset)
{
    TfrContextScope scope(this);
    TfrView *view = FindObject(bandName);
    if (!view) throw Exception(QStringLiteral("Non è stata trovata la banda: ") + bandName);
    auto *band = dynamic_cast<TfrBandView *>(view);
    if (!band || !frBand::isDataBand(band->BandType()))
        throw Exception(QStringLiteral("Non si può collegare un frDataset ad un oggetto che non sia una banda."));
    if (!dataset) return;
    if (!band->FormatText.isEmpty() && FindDatasetInTable(band->FormatText) != dataset) RemoveDataset(band->FormatText);
    AddDataset(dataset, false);
    band->FormatText = dataset->objectName();
}

TfrView *TfrReport::FindObject(const QString &name, const TfrView *except) const
{
    for (int p = 0; p < Pages.Count(); ++p)
        for (TfrView *v : Pages[p]->Objects)
            if (v != except && v->Name.compare(name, Qt::CaseInsensitive) == 0) return v;
    return nullptr;
}

TfrView *TfrReport::CreateObject(int kind, const QString &className)
{
    TfrView *view = nullptr;
    switch (kind) {
    case frKind::Memo: view = new TfrMemoView(this); break;
    case frKind::Picture: view = new TfrPictureView(this); break;
    case frKind::Band: view = new TfrBandView(this); break;
    case frKind::SubReport: view = new TfrSubReportView(this); break;
    case frKind::AddIn:
        if (const TfrAddInObjectInfo *info = frRegistry::findAddIn(className); info && info->Create) {
            view = info->Create(this);
            if (view) {
                view->Kind = frKind::AddIn;
                view->Report = this;
            }
        }
        break;
    default: break;
    }
    if (view) view->Name = UniqueName(view);
    return view;
}

QString TfrReport::UniqueName(const TfrView *view) const
{
    const QString base = view->BaseName();
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!FindObject(candidate, view)) return candidate;
    }
}

bool TfrReport::RenameObject(TfrView *view, const QString &newName)
{
    if (!frValidObjectName(newName)) {
        frShowMessage(QStringLiteral("Formato del nome errato."), QStringLiteral("Errore"), TfrMessageIcon::Error);
        return false;
    }
    if (FindObject(newName, view)) {
        frShowMessage(QStringLiteral("Non è possibile assegnare un nome già esistente."), QStringLiteral("Errore"),
                      TfrMessageIcon::Error);
        return false;
    }
    view->Name = newName;
    return true;
}

void TfrReport::DeleteObject(TfrView *view)
{
    for (int p = 0; p < Pages.Count(); ++p) {
        const qsizetype i = Pages[p]->Objects.indexOf(view);
        if (i < 0) continue;
        if (view->IsDataBound()) RemoveDataset(view->FormatText);
        Pages[p]->Delete(int(i));
        return;
    }
}

TfrDataset *TfrReport::FindReportDataset(const QString &name) const
{
    if (auto *d = qobject_cast<TfrDataset *>(frFindComponent(parent(), name))) return d;
    return FindDatasetInTable(name);
}

TDataSet *TfrReport::FindDataSet(const QString &name) const
{
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        return qobject_cast<TDataSet *>(frFindComponent(frFindGlobalComponent(name.left(dot)), name.mid(dot + 1)));
    return qobject_cast<TDataSet *>(frFindComponent(parent(), name));
}
