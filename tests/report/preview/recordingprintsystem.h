#pragma once
// A print system for tests: fake printers and a target that records every
// job (title, paper), every sheet and the page played on it, with the pseudo
// printer's geometry at 96 dpi so device pixels are DesignUnit.

#include "report/frpapertable.h"
#include "report/preview/frprintsystem.h"

#include <QList>
#include <QRect>
#include <QStringList>

struct RecordedSheet
{
    QByteArray drawing;
    QRect target;
};

struct RecordedJob
{
    QString printer;
    QString title;
    TfrPaper paper;
    QList<RecordedSheet> sheets;
    bool ended = false, aborted = false;
};

class RecordingPrintSystem : public TfrPrintSystem
{
public:
    QStringList printerNames;           // installed fake printers
    QList<RecordedJob> jobs;
    bool failBegin = false;

    QList<std::shared_ptr<TfrPrinterDevice>> printers() override
    {
        QList<std::shared_ptr<TfrPrinterDevice>> list;
        for (const QString &n : printerNames) list << std::make_shared<Device>(n);
        return list;
    }
    std::unique_ptr<TfrPrintTarget> createTarget(const QString &name, bool) override
    {
        return std::make_unique<Target>(*this, name);
    }

    // Every sheet in order, across jobs.
    QList<RecordedSheet> sheets() const
    {
        QList<RecordedSheet> all;
        for (const RecordedJob &j : jobs) all += j.sheets;
        return all;
    }

private:
    // A printer that takes only A4 and custom sizes.
    class Device : public TfrPrinterDevice
    {
    public:
        explicit Device(const QString &name) : m_name(name) {}
        QString name() const override { return m_name; }
        bool applyPaper(int &code, int &width, int &height, int &orientation, TfrPrinterGeometry &g) override
        {
            if (code != frPaper::A4 && code != frPaper::Custom) return false;
            if (code == frPaper::A4) {
                width = orientation ? 2970 : 2100;
                height = orientation ? 2100 : 2970;
            }
            g = geometryOf(width, height);
            return true;
        }

    private:
        QString m_name;
    };

    class Target : public TfrPrintTarget
    {
    public:
        Target(RecordingPrintSystem &system, const QString &name) : m_system(system), m_name(name) {}
        bool beginJob(const QString &title, const TfrPaper &paper) override
        {
            if (m_system.failBegin) return false;
            RecordedJob job;
            job.printer = m_name;
            job.title = title;
            job.paper = paper;
            m_system.jobs << job;
            const TfrPrinterGeometry g = geometryOf(paper.width, paper.height);
            m_geometry = TfrDeviceGeometry{g.pageWidth, g.pageHeight, g.offsetLeft, g.offsetTop,
                                           g.printableWidth, g.printableHeight};
            m_newSheet = true;
            return true;
        }
        TfrDeviceGeometry geometry() const override { return m_geometry; }
        bool newSheet() override
        {
            m_newSheet = true;
            return true;
        }
        void playPage(const QByteArray &emf, const QRect &target) override
        {
            // A page played without a new sheet would overprint the last one.
            if (!m_newSheet) m_system.jobs.last().sheets.last().drawing += "+overprint";
            else m_system.jobs.last().sheets << RecordedSheet{emf, target};
            m_newSheet = false;
        }
        void endJob() override { m_system.jobs.last().ended = true; }
        void abortJob() override { m_system.jobs.last().aborted = true; }

    private:
        RecordingPrintSystem &m_system;
        QString m_name;
        TfrDeviceGeometry m_geometry;
        bool m_newSheet = false;
    };

    static TfrPrinterGeometry geometryOf(int width, int height)
    {
        TfrPrinterGeometry g;
        g.pageWidth = frPaper::toDesignUnit(width);
        g.pageHeight = frPaper::toDesignUnit(height);
        g.offsetLeft = g.offsetTop = 18;
        g.printableWidth = g.pageWidth - 36;
        g.printableHeight = g.pageHeight - 36;
        return g;
    }
};
