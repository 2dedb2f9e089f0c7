#include "phase/ui/PhaseTools.h"

#include "phase/ui/TAbsolutePhaseForm.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"

namespace corvane::ui {

void CreatePhaseTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    new TNewUnwrapForm(mainForm);
    new TAbsolutePhaseForm(mainForm);
    new TSimpleUnwrapForm(mainForm);
}

} // namespace corvane::ui
