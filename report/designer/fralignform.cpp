#include "report/designer/fralignform.h"

#include "report/designer/frdesignerform.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

namespace {
// Glyphs: a reference line and two boxes placed as the command leaves them.
QIcon glyph(frAlign::Command c)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x80, 0x80, 0xC0));
    using namespace frAlign;
    switch (c) {
    case AlignLeft: p.drawLine(3, 1, 3, 18); p.drawRect(3, 4, 12, 4); p.drawRect(3, 11, 8, 4); break;
    case AlignRight: p.drawLine(16, 1, 16, 18); p.drawRect(4, 4, 12, 4); p.drawRect(8, 11, 8, 4); break;
    case AlignTop: p.drawLine(1, 3, 18, 3); p.drawRect(4, 3, 4, 12); p.drawRect(11, 3, 4, 8); break;
    case AlignBottom: p.drawLine(1, 16, 18, 16); p.drawRect(4, 4, 4, 12); p.drawRect(11, 8, 4, 8); break;
    case CenterHorizontally: p.drawLine(10, 1, 10, 18); p.drawRect(4, 4, 12, 4); p.drawRect(6, 11, 8, 4); break;
    case CenterVertically: p.drawLine(1, 10, 18, 10); p.drawRect(4, 4, 4, 12); p.drawRect(11, 6, 4, 8); break;
    case CenterOnPageHorizontally: p.setBrush(Qt::NoBrush); p.drawRect(1, 3, 17, 13); p.setBrush(QColor(0x80, 0x80, 0xC0)); p.drawRect(7, 7, 6, 5); break;
    case CenterOnPageVertically: p.setBrush(Qt::NoBrush); p.drawRect(3, 1, 13, 17); p.setBrush(QColor(0x80, 0x80, 0xC0)); p.drawRect(7, 7, 5, 6); break;
    case SpaceHorizontally: for (int x : {2, 8, 14}) p.drawRect(x, 6, 4, 8); break;
    case SpaceVertically: for (int y : {2, 8, 14}) p.drawRect(6, y, 8, 4); break;
    case CommandCount: break;
    }
    return QIcon(pm);
}
} // namespace

QString TAlignForm::Hint(frAlign::Command c)
{
    static const char *hints[] = {"Allinea al bordo sinistro", "Allinea al bordo destro", "Allinea in alto",
                                  "Allinea in basso", "Allinea orizzontalmente centrando",
                                  "Allinea verticalmente centrando", "Centra orizzontalmente nella finestra",
                                  "Centra verticalmente nella finestra", "Spazi uniformi orizzontalmente",
                                  "Spazi uniformi veticalmente"};
    return c >= 0 && c < frAlign::CommandCount ? QString::fromUtf8(hints[c]) : QString();
}

TAlignForm::TAlignForm(TFRDesignerForm *designer)
    : QWidget(designer, Qt::Tool | Qt::WindowStaysOnTopHint), m_designer(designer)
{
    setObjectName(QStringLiteral("AlignForm"));
    setWindowTitle(QStringLiteral("Allineamento"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Buttons never take the focus: the keys stay with the design page.
    setFocusPolicy(Qt::NoFocus);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(1);
    for (int i = 0; i < frAlign::CommandCount; ++i) {
        const auto c = frAlign::Command(i);
        auto *b = new QToolButton(this);
        b->setObjectName(QStringLiteral("AlignB%1").arg(i + 1));
        b->setToolTip(Hint(c));
        b->setIcon(glyph(c));
        b->setIconSize(QSize(20, 20));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, c] { m_designer->Align(c); });
        grid->addWidget(b, i % 5, i / 5);
        Buttons << b;
    }
    adjustSize();
}

void TAlignForm::keyPressEvent(QKeyEvent *event)
{
    if (!m_designer->HandleKey(event)) QWidget::keyPressEvent(event);
}
