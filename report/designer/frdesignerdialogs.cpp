#include "report/designer/frdesignerdialogs.h"

#include "report/designer/frcolorchooser.h"
#include "report/designer/frdesignerform.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QList>
#include <QPair>

QString frQtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << (desc.contains(QLatin1Char('(')) ? desc : desc + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

namespace {
TfrDesignerDialogs defaults()
{
    TfrDesignerDialogs d;
    d.openFile = [](QWidget *parent, const QString &title, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, title, QString(), frQtFileFilter(filter));
    };
    d.saveFile = [](QWidget *parent, const QString &title, const QString &filter, int &choice) {
        const QString qtFilter = frQtFileFilter(filter);
        QString selected;
        const QString name = QFileDialog::getSaveFileName(parent, title, QString(), qtFilter, &selected);
        choice = int(qtFilter.split(QStringLiteral(";;")).indexOf(selected)) + 1;
        if (choice < 1) choice = 1;
        return name;
    };
    d.chooseColor = [](QWidget *parent, int &color) { return TfrColorChooser::choose(parent, color); };
    d.message = [](QWidget *, const QString &text, const QString &caption, TMsgDlgType kind, TMsgDlgButtons buttons,
                   int defaultButton) {
        TMessageBoxDlg box;
        box.CaptionTitle = caption;
        box.DlgType = kind;
        // The designer speaks Italian: its buttons too, in the order the box makes them.
        const std::pair<TMsgDlgBtn, const char *> titles[] = {
            {mbYes, "&Sì"}, {mbNo, "&No"}, {mbOK, "OK"}, {mbCancel, "&Annulla"}};
        for (const auto &[button, title] : titles)
            if (buttons & button) box.ButtonTitles << QString::fromUtf8(title);
        // The box reads its text as a pattern; a file name may hold "%".
        return box.ShowMessageAsk(QString(text).replace(QLatin1Char('%'), QStringLiteral("%%")), kind, defaultButton,
                                  buttons);
    };
    d.exec = [](QDialog &dialog) { return dialog.exec(); };
    d.showDesigner = [](TFRDesignerForm &form) { form.exec(); };
    return d;
}
} // namespace

TfrDesignerDialogs &frDesignerDialogs()
{
    static TfrDesignerDialogs d = defaults();
    return d;
}

void frResetDesignerDialogs() { frDesignerDialogs() = defaults(); }

namespace {
QList<QPair<QString, TfrObjectEditor>> &objectEditors()
{
    static QList<QPair<QString, TfrObjectEditor>> editors;
    return editors;
}
} // namespace

void frRegisterObjectEditor(const QString &editorClassName, TfrObjectEditor editor)
{
    for (auto &e : objectEditors())
        if (e.first.compare(editorClassName, Qt::CaseInsensitive) == 0) {
            e.second = std::move(editor);
            return;
        }
    objectEditors().append({editorClassName, std::move(editor)});
}

TfrObjectEditor frFindObjectEditor(const QString &editorClassName)
{
    for (const auto &e : objectEditors())
        if (!editorClassName.isEmpty() && e.first.compare(editorClassName, Qt::CaseInsensitive) == 0) return e.second;
    return {};
}

QDialogButtonBox *frOkCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
