#include "report/frtemplatewriter.h"

#include "report/frbinarywriter.h"
#include "report/frbuildcontext.h"
#include "report/frdbdataset.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"
#include "report/frview.h"

QByteArray TfrTemplateWriter::write(qint64 base) const
{
    TfrBinaryWriter w(base);
    w.u8(FileVersion);

    w.i32(m_report.DatasetCount());
    for (int i = 0; i < m_report.DatasetCount(); ++i) {
        TfrDataset *d = m_report.DatasetAt(i);
        if (auto *db = qobject_cast<TfrDBDataSet *>(d)) {
            w.u8(1);
            QString path;
            if (TDataSet *ds = db->DataSet())
                path = (ds->parent() ? ds->parent()->objectName() : QString()) + QLatin1Char('.') + ds->objectName();
            w.shortString(path);
            w.u8(db->Filtered ? 1 : 0);
            w.shortString(db->Filter);
        } else {
            w.u8(0);
        }
        w.shortString(m_report.DatasetName(i));
        w.u8(quint8(d->RangeBegin));
        w.u8(quint8(d->RangeEnd));
        w.u16(0);
        w.i32(d->RangeEndCount);
    }

    w.bool16(m_report.UseDefaultPrinter);
    w.bool16(m_report.TwoPass);
    w.bool16(m_report.InterleavePages);
    w.bool16(m_report.NumberInterleaved);
    w.stringList(QStringList{m_report.Context().Printer.PrinterName()});

    for (int p = 0; p < m_report.Pages.Count(); ++p) {
        w.u8(255);
        m_report.Pages[p]->SaveToStream(w);
    }
    // The page index is one byte: objects of pages past 256 cannot be stored.
    for (int p = 0; p < m_report.Pages.Count() && p < 256; ++p) {
        for (const TfrView *v : m_report.Pages[p]->Objects) {
            if (v->Kind <= frKind::SubReport) {
                w.u8(quint8(v->Kind));
            } else {
                w.u8(10);
                w.stringList(QStringList{v->ClassName()});
            }
            w.u8(quint8(p));
            v->SaveCommon(w);
            v->SaveToStream(w);
        }
    }

    w.u8(254);
    w.i32(m_report.Values.Count());
    for (int i = 0; i < m_report.Values.Count(); ++i) {
        const TfrValue *v = m_report.Values.Objects(i);
        w.u8(quint8(v->ValueKind));
        w.i32(v->ValueSubKind);
        w.shortString(v->DSet);
        w.shortString(v->Field);
        w.shortString(m_report.Values.Name(i));
    }
    w.stringList(m_report.Variables);
    return w.data();
}
