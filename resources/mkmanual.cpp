// Turns the manual's HTML source into "manuale.pdf" at build time, with Qt's
// own text layout and PDF writer, so the build needs no document converter.

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tonalba-mkmanual <source.html> <output.pdf>\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 11));
    doc.setHtml(QString::fromUtf8(source.readAll()));
    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("Tonalba - Manuale"));
    pdf.setCreator(QStringLiteral("Tonalba"));
    doc.print(&pdf);
    return 0;
}
