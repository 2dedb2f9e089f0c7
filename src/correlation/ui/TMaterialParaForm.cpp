#include "correlation/ui/TMaterialParaForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Convert.h"

namespace corvane::ui {

TMaterialParaForm::TMaterialParaForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "MaterialParaForm",
                           .Title = QStringLiteral("Material Parameters"),
                           .ShowCommand = "MaterialParaAction",
                           .LockedCommands = {},
                           .RoleWindows = {}}) {
    EEdit = Named(new QLineEdit(QStringLiteral("1.0e6"), this), "EEdit");
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Elasticity Constant"), EEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

MaterialParameters TMaterialParaForm::Parameters() const {
    MaterialParameters parameters;
    parameters.ElasticityConstant = StrToFloat(EEdit);
    return parameters;
}

} // namespace corvane::ui
