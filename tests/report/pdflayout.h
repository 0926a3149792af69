#pragma once
// A PDF read back the way a reader sees it: each page's size and rotation
// (pdfinfo) and its words with their boxes (pdftotext -bbox), in points.
// Both tools come with poppler-utils.

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace pdflayout {

struct Word
{
    QString text;
    QRectF box;
};

struct Page
{
    QSizeF size;
    int rotation = 0;
    QList<Word> words;
};

// 0.1 mm in points.
constexpr double Tolerance = 72.0 / 254.0;

inline QString output(const QString &program, const QStringList &args, QString *error = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) *error = program + ": " + QString::fromLocal8Bit(p.readAllStandardError());
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QString unescape(QString s)
{
    return s.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
}

// Empty with `error` set when the file cannot be read.
inline QList<Page> read(const QString &pdf, QString *error = nullptr)
{
    QList<Page> pages;
    const QString info = output("pdfinfo", {"-f", "1", "-l", "9999", pdf}, error);
    const QString bbox = output("pdftotext", {"-bbox", pdf, "-"}, error);
    if (info.isEmpty() || bbox.isEmpty()) return pages;

    static const QRegularExpression sizeLine(R"(^Page +(\d+) size: +([\d.]+) x ([\d.]+) pts)",
                                             QRegularExpression::MultilineOption);
    static const QRegularExpression rotLine(R"(^Page +(\d+) rot: +(\d+))", QRegularExpression::MultilineOption);
    for (auto it = sizeLine.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        Page page;
        page.size = QSizeF(m.captured(2).toDouble(), m.captured(3).toDouble());
        pages << page;
    }
    for (auto it = rotLine.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        const int n = m.captured(1).toInt() - 1;
        if (n >= 0 && n < pages.size()) pages[n].rotation = m.captured(2).toInt();
    }

    static const QRegularExpression pageTag(R"(<page width)");
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    const QStringList perPage = bbox.split(pageTag);
    for (int i = 1; i < perPage.size() && i - 1 < pages.size(); ++i) {
        for (auto it = word.globalMatch(perPage[i]); it.hasNext();) {
            const auto m = it.next();
            const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
            pages[i - 1].words << Word{unescape(m.captured(5)), QRectF(topLeft, bottomRight)};
        }
    }
    return pages;
}

inline bool near(double a, double b) { return qAbs(a - b) <= Tolerance; }

// The first difference between two read PDFs, or an empty string.
inline QString difference(const QList<Page> &a, const QList<Page> &b)
{
    if (a.size() != b.size()) return QString("%1 pages against %2").arg(a.size()).arg(b.size());
    for (int p = 0; p < a.size(); ++p) {
        const Page &x = a[p], &y = b[p];
        if (!near(x.size.width(), y.size.width()) || !near(x.size.height(), y.size.height()))
            return QString("page %1: %2 x %3 pt against %4 x %5 pt")
                .arg(p + 1).arg(x.size.width()).arg(x.size.height()).arg(y.size.width()).arg(y.size.height());
        if (x.rotation != y.rotation)
            return QString("page %1: rotated %2 against %3").arg(p + 1).arg(x.rotation).arg(y.rotation);
        if (x.words.size() != y.words.size())
            return QString("page %1: %2 words against %3").arg(p + 1).arg(x.words.size()).arg(y.words.size());
        for (int w = 0; w < x.words.size(); ++w) {
            const Word &u = x.words[w], &v = y.words[w];
            const QRectF &r = u.box, &s = v.box;
            if (u.text != v.text || !near(r.left(), s.left()) || !near(r.top(), s.top())
                || !near(r.right(), s.right()) || !near(r.bottom(), s.bottom()))
                return QString("page %1: \"%2\" at (%3, %4)-(%5, %6) against \"%7\" at (%8, %9)-(%10, %11)")
                    .arg(p + 1).arg(u.text).arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom())
                    .arg(v.text).arg(s.left()).arg(s.top()).arg(s.right()).arg(s.bottom());
        }
    }
    return QString();
}

} // namespace pdflayout
