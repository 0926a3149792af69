#pragma once
// TfrQtPrintTarget: prints through QPrinter on an installed printer, or, for
// the pseudo printer, on the system's default printer; with no printer
// installed at all it writes PDF files, asking for the name once per run.
// The printer's own copy count stays 1: the report makes the copies, since
// Qt would hand copies to CUPS and multiply them. Each job after the first
// of a PDF run goes to the next name: F, F-2, F-3, ...

#include "report/preview/frprinttarget.h"

#include <QPainter>
#include <functional>
#include <memory>

class QPrinter;

class TfrQtPrintTarget : public TfrPrintTarget
{
public:
    // An empty name: the system's default printer, or PDF without one.
    explicit TfrQtPrintTarget(const QString &printerName);
    ~TfrQtPrintTarget() override;

    bool beginJob(const QString &title, const TfrPaper &paper) override;
    TfrDeviceGeometry geometry() const override { return m_geometry; }
    bool newSheet() override;
    void playPage(const QByteArray &emf, const QRect &target) override;
    void endJob() override;
    void abortJob() override;

    // Asks for the PDF file; an empty answer cancels. Tests replace it.
    static std::function<QString()> &pdfFileChooser();
    // "F.pdf", "F-2.pdf", ...: the file of the n-th job (0-based).
    static QString pdfJobFileName(const QString &first, int job);

private:
    QString m_printerName;
    bool m_pdf = false;
    QString m_pdfFile;
    int m_jobs = 0;
    std::unique_ptr<QPrinter> m_printer;
    QPainter m_painter;
    TfrDeviceGeometry m_geometry;
};
