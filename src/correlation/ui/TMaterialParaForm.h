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

    /// Leaving EEdit (or closing the window) with text that is not a number: the text goes back to
    /// the last number given and the error says so, instead of the window keeping "abc".
    void EEditExit();

  protected:
    void FormHide() override { EEditExit(); }

  private:
    QString accepted_;
};

} // namespace corvane::ui
