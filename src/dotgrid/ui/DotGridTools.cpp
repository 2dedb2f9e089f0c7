#include "dotgrid/ui/DotGridTools.h"

namespace corvane::ui {

void CreateDotGridTools(TMainForm& /*mainForm*/) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
}

} // namespace corvane::ui
