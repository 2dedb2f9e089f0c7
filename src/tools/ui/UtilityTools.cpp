#include "tools/ui/UtilityTools.h"

#include "tools/ui/TColourMapForm.h"
#include "tools/ui/TLineDistributionForm.h"
#include "tools/ui/TUtilityCommands.h"

namespace corvane::ui {

void CreateUtilityTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    new TLineDistributionForm(mainForm);
    new TColourMapForm(mainForm);
    // The histogram, filter and coordinate-size dialogs are modal, made by their commands.
    new TUtilityCommands(mainForm);
}

} // namespace corvane::ui
