#include "correlation/ui/TMaterialParaForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "image/CorvaneError.h"
#include "shell/Convert.h"

namespace corvane::ui {

TMaterialParaForm::TMaterialParaForm(TMainForm& mainForm)
    : TToolForm(mainForm, {.Name = "MaterialParaForm",
                           .Title = QStringLiteral("Material Parameters"),
                           .ShowCommand = "MaterialParaAction",
                           .LockedCommands = {},
                           .RoleWindows = {}}) {
    EEdit = Named(new QLineEdit(QStringLiteral("1.0e6"), this), "EEdit");
    EEdit->setAccessibleName(QStringLiteral("Elasticity Constant"));
    accepted_ = EEdit->text();
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Elasticity Constant"), EEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    Bind(EEdit, &QLineEdit::editingFinished, &TMaterialParaForm::EEditExit);
}

void TMaterialParaForm::EEditExit() {
    try {
        StrToFloat(EEdit);
        accepted_ = EEdit->text();
    } catch (const CorvaneError& refused) {
        EEdit->setText(accepted_);
        throw CorvaneError(std::string(refused.what()) + "; it stays " + accepted_.toStdString());
    }
}

MaterialParameters TMaterialParaForm::Parameters() const {
    MaterialParameters parameters;
    parameters.ElasticityConstant = StrToFloat(EEdit);
    return parameters;
}

} // namespace corvane::ui
