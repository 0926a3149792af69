#include "report/designer/frdesigner.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frgrapheditor.h"
#include "report/frregistry.h"

#include <QApplication>

TfrDesigner::TfrDesigner(QObject *owner) : QObject(owner) { Register(); }

void TfrDesigner::Register()
{
    frRegisterObjectEditor(QStringLiteral("TFrGraphEditor"), &TFrGraphEditor::Edit);
    frRegistry::setDesigner([](TfrReport &report) {
        TFRDesignerForm form(report, QApplication::activeWindow());
        frDesignerDialogs().showDesigner(form);
    });
}
