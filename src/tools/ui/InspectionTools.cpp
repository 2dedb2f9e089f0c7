#include "tools/ui/InspectionTools.h"

namespace corvane::ui {

void CreateInspectionTools(TMainForm& /*mainForm*/) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
}

} // namespace corvane::ui
