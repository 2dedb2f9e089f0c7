#include "phase/ui/PhaseTools.h"

namespace corvane::ui {

void CreatePhaseTools(TMainForm& /*mainForm*/) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
}

} // namespace corvane::ui
