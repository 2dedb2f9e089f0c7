#include "correlation/ui/CorrelationTools.h"

#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationStatusForm.h"

namespace corvane::ui {

void CreateCorrelationTools(TMainForm& mainForm) {
    // Parented to the frame, which deletes them.
    auto* status = new TCorRelationStatusForm(mainForm);
    new TCorRelationCommands(mainForm, *status);
}

} // namespace corvane::ui
