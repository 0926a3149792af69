#pragma once
// Every window the designer opens modally goes through this table: the
// designer itself, its own dialogs, the file and colour choosers and its
// message boxes. The defaults show the real windows; tests replace entries to
// answer them without nested event loops.

#include "controls/messageboxdlg.h"

#include <QString>
#include <functional>

class QDialog;
class QDialogButtonBox;
class QWidget;
class TFRDesignerForm;
class TfrReport;
class TfrView;

struct TfrDesignerDialogs
{
    // A file to open, or empty when cancelled. `filter` is in the "desc|pattern|..." form.
    std::function<QString(QWidget *parent, const QString &title, const QString &filter)> openFile;
    // A file to save and the 1-based filter chosen, or empty when cancelled.
    std::function<QString(QWidget *parent, const QString &title, const QString &filter, int &choice)> saveFile;
    // A colour (0x00BBGGRR, or TfrView::NoColor for none) starting from `color`; false when cancelled.
    std::function<bool(QWidget *parent, int &color)> chooseColor;
    // The button pressed (mrYes, mrNo, mrCancel, mrOk).
    std::function<int(QWidget *parent, const QString &text, const QString &caption, TMsgDlgType kind,
                      TMsgDlgButtons buttons, int defaultButton)> message;
    // A modal dialog's result (QDialog::Accepted or Rejected).
    std::function<int(QDialog &dialog)> exec;
    // Shows the designer window modally until it closes.
    std::function<void(TFRDesignerForm &form)> showDesigner;
};

TfrDesignerDialogs &frDesignerDialogs();
// Puts the defaults back.
void frResetDesignerDialogs();
// "Quillo form (*.frf)|*.frf|Tutti|*.*" as Qt's "Quillo form (*.frf);;Tutti (*.*)".
QString frQtFileFilter(const QString &filter);

// The editors of add-in objects, by the editor class name an add-in
// registered (the chart's "TFrGraphEditor"): true when the object changed.
using TfrObjectEditor = std::function<bool(TfrReport &report, TfrView &view, QWidget *parent)>;
void frRegisterObjectEditor(const QString &editorClassName, TfrObjectEditor editor);
TfrObjectEditor frFindObjectEditor(const QString &editorClassName);

// The "&OK" and "&Annulla" row every designer dialog has, wired to accept() and reject().
QDialogButtonBox *frOkCancel(QDialog *dialog);
