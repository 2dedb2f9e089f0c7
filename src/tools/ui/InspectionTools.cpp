#include "tools/ui/InspectionTools.h"

#include "tools/ui/TInspectionCommands.h"
#include "tools/ui/TLineDistributionForm.h"

namespace corvane::ui {

void CreateInspectionTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    new TLineDistributionForm(mainForm);
    // The histogram, filter and coordinate-size dialogs are modal, made by their commands.
    new TInspectionCommands(mainForm);
}

} // namespace corvane::ui
