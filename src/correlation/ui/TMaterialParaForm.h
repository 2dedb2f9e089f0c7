#pragma once
#include "correlation/ImageScale.h"
#include "shell/TToolForm.h"

class QLineEdit;

namespace corvane::ui {

/// "Material Parameters": the material constants the stress computation is to use; for now the
/// elasticity constant.
class TMaterialParaForm : public TToolForm {
    Q_OBJECT
  public:
    /// Builds the window as a tool of mainForm and wires MaterialParaAction to show it.
    explicit TMaterialParaForm(TMainForm& mainForm);

    QLineEdit* EEdit = nullptr;

    /// The constants as the edits hold them (the conversion error for text that is not a number).
    MaterialParameters Parameters() const;
};

} // namespace corvane::ui
