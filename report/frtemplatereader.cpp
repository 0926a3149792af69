#include "report/frtemplatereader.h"

#include "report/frbandview.h"
#include "report/frbinaryreader.h"
#include "report/frbuildcontext.h"
#include "report/frdbdataset.h"
#include "report/frloadresult.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include <memory>

namespace {
// The loader gave up on an add-in class the program does not have: its own
// message comes before the corrupt-template one.
struct Abandoned
{
    QString className;
};

enum Tag { TagPage = 255, TagValues = 254, TagAddIn = 10 };

class Reader
{
public:
    Reader(TfrReport &report, TfrBinaryReader &reader, int version, QList<TfrMessage> &messages)
        : m_report(report), r(reader), m_version(version), m_messages(messages)
    {
    }

    void datasetTable()
    {
        const qint32 count = r.i32();
        // A record takes at least ten bytes: flag, name length, range.
        if (count < 0 || count > r.remaining() / 10)
            throw EfrStreamError(QStringLiteral("Dataset count %1 does not fit the stream").arg(count));
        for (qint32 i = 0; i < count; ++i) {
            const bool database = r.u8() != 0;
            std::unique_ptr<TfrDataset> dataset;
            if (database) {
                const QString path = r.shortString();
                bool filtered = false;
                QString filter;
                if (m_version > 26) {
                    filtered = r.u8() != 0;
                    filter = r.shortString();
                }
                if (auto *ds = qobject_cast<TDataSet *>(frFindOwnedComponent(path))) {
                    auto db = std::make_unique<TfrDBDataSet>();
                    db->SetDataSet(ds);
                    if (m_version > 26) {
                        db->Filtered = filtered;
                        db->Filter = filter;
                    }
                    dataset = std::move(db);
                } else {
                    m_messages.append({TfrTemplateReader::missingDatasetMessage(path), QStringLiteral("Attenzione"),
                                       TfrMessageIcon::Warning});
                }
            } else {
                dataset = std::make_unique<TfrDataset>();
            }
            const QString name = r.shortString();
            const QByteArray range = r.bytes(4);
            const qint32 endCount = within(QStringLiteral("dataset %1").arg(name),
                                           [&] { return r.i32(frLimits::RecordCount, "record count"); });
            if (!dataset) continue;
            dataset->setObjectName(name);
            dataset->RangeBegin = TRangeBegin(quint8(range[0]));
            dataset->RangeEnd = TRangeEnd(quint8(range[1]));
            dataset->RangeEndCount = endCount;
            m_report.AddDataset(dataset.release(), true);
        }
    }

    void pages()
    {
        m_report.UseDefaultPrinter = r.bool16();
        m_report.TwoPass = r.bool16();
        if (m_version > 22) {
            m_report.InterleavePages = r.bool16();
            m_report.NumberInterleaved = r.bool16();
        } else {
            m_report.InterleavePages = m_report.NumberInterleaved = false;
        }
        const QStringList printer = r.stringList(m_version);
        if (!printer.isEmpty() && !m_report.UseDefaultPrinter) {
            // The template chooses the printer of its own report, no other.
            TPrinterSettings &prn = m_report.Context().Printer;
            const int index = int(prn.Printers().indexOf(printer.first()));
            if (index >= 0) prn.SetPrinterIndex(index);
        }
        while (!r.atEnd()) {
            const int tag = r.u8();
            if (tag == TagPage) {
                if (m_report.Pages.Count() >= TfrTemplateReader::MaxPages)
                    throw EfrStreamError(QStringLiteral("More than %1 pages").arg(TfrTemplateReader::MaxPages));
                TfrPage *page = m_report.Pages.Add();
                within(QStringLiteral("page %1").arg(m_report.Pages.Count()),
                       [&] { page->LoadFromStream(r, m_version); });
            } else if (tag <= frKind::SubReport) {
                object(tag, QString());
            } else if (tag == TagAddIn) {
                object(frKind::AddIn, r.stringList(m_version).value(0));
            } else if (tag == TagValues) {
                values();
            } else if (tag < TagAddIn) {
                throw EfrStreamError(QStringLiteral("Object kind %1 at position %2").arg(tag).arg(r.pos() - 1));
            } else {
                return;   // an unknown tag ends the template
            }
        }
    }

    void object(int kind, const QString &className)
    {
        if (kind == frKind::AddIn && !frRegistry::findAddIn(className)) throw Abandoned{className};
        const int pageIndex = r.u8();
        if (pageIndex >= m_report.Pages.Count())
            throw EfrStreamError(QStringLiteral("Object on page %1 of %2").arg(pageIndex).arg(m_report.Pages.Count()));
        std::unique_ptr<TfrView> view(m_report.CreateObject(kind, className));
        if (!view) throw EfrStreamError(QStringLiteral("Cannot create an object of class %1").arg(className));
        TfrPage *page = m_report.Pages[pageIndex];
        within(QStringLiteral("page %1, object %2").arg(pageIndex + 1).arg(page->Objects.size() + 1), [&] {
            view->LoadCommon(r, m_version);
            view->LoadFromStream(r, m_version);
        });
        page->Add(view.release());
    }

    void values()
    {
        const qint32 count = r.i32();
        // A value takes at least eight bytes: kind, sub-kind and three lengths.
        if (count < 0 || count > r.remaining() / 8)
            throw EfrStreamError(QStringLiteral("Value count %1 does not fit the stream").arg(count));
        m_report.Values.Clear();
        for (qint32 i = 0; i < count; ++i) {
            const int kind = r.u8();
            const int subKind = r.i32();
            const QString dset = r.shortString();
            const QString field = r.shortString();
            const QString name = r.shortString();
            TfrValue *v = m_report.Values.Objects(m_report.Values.AddValue(name));
            v->ValueKind = kind;
            v->ValueSubKind = subKind;
            v->DSet = dset;
            v->Field = field;
        }
        m_report.Variables = r.stringList(m_version);
    }

private:
    // Runs a part of a record, naming the record in what it refuses.
    template<typename Read>
    auto within(const QString &where, Read read) -> decltype(read())
    {
        try {
            return read();
        } catch (const EfrStreamError &e) {
            throw EfrStreamError(where + QStringLiteral(": ") + e.message(), e.at());
        }
    }

    TfrReport &m_report;
    TfrBinaryReader &r;
    int m_version;
    QList<TfrMessage> &m_messages;
};
} // namespace

QString TfrTemplateReader::corruptMessage()
{
    return QStringLiteral("Non è stato possibile terminare la fase di caricamento del report.\n\r"
                          "Probabilmente il report è corrotto, o contiene componenti non inseriti all'interno del progetto.");
}

QString TfrTemplateReader::missingDatasetMessage(const QString &name)
{
    return QStringLiteral("Non è stato trovato il frDataset: ") + name;
}

QString TfrTemplateReader::unknownAddInMessage(const QString &className)
{
    return QStringLiteral("Oggetto non trovato : %1.\n\rUn componente avanzato presente nel report, \n\r"
                          "non è stato inserito nel programma che ne fa uso.")
        .arg(className);
}

TfrLoadResult TfrTemplateReader::read(const QByteArray &data, qint64 base)
{
    TfrContextScope scope(&m_report);
    TfrBinaryReader r(data, base);
    int version = 21;
    TfrLoadResult result;
    QString why;
    qint64 fieldAt = -1;
    m_report.Pages.Clear();
    m_report.ClearDatasets();
    m_report.Values.Clear();
    m_report.Variables.clear();
    try {
        version = r.u8();
        if (version <= 20) {
            // Files before version 21 have no version byte.
            version = 21;
            r.seek(base);
        }
        Reader reader(m_report, r, version, result.Messages);
        if (version > 22) reader.datasetTable();
        reader.pages();
    } catch (const Abandoned &a) {
        result.Messages.append({unknownAddInMessage(a.className), QStringLiteral("Errore"), TfrMessageIcon::Error});
        why = QStringLiteral("object class %1 is not in this program").arg(a.className);
    } catch (const EfrStreamError &e) {
        why = e.message();
        fieldAt = e.at();
    } catch (const Exception &e) {
        why = e.message();
    } catch (const std::exception &e) {
        why = QString::fromLocal8Bit(e.what());
    }
    if (!why.isEmpty()) {
        result.Ok = false;
        result.Messages.append({corruptMessage(), QStringLiteral("Errore"), TfrMessageIcon::Error});
        result.Offset = fieldAt >= 0 ? fieldAt : r.pos();
        result.Reason = QStringLiteral("corrupt at byte %1: %2").arg(result.Offset).arg(why);
        m_report.ClearDatasets();
        m_report.Pages.Clear();
        m_report.Pages.Add();
        return result;
    }
    if (version <= 22) {
        // Old files name report dataset components directly.
        QObject *owner = m_report.parent();
        for (int p = 0; p < m_report.Pages.Count(); ++p) {
            for (TfrView *v : m_report.Pages[p]->Objects) {
                auto *band = dynamic_cast<TfrBandView *>(v);
                if (!band || !frBand::isDataBand(band->BandType())) continue;
                const QString name = band->FormatText;
                if (qobject_cast<TfrDataset *>(frFindComponent(owner, name))
                    || qobject_cast<TfrDataset *>(frFindGlobalComponent(name)))
                    continue;
                result.Messages.append({missingDatasetMessage(name), QStringLiteral("Attenzione"), TfrMessageIcon::Warning});
            }
        }
    }
    return result;
}
