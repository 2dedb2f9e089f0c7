#include "app/ToolWindows.h"

#include "correlation/ui/CorrelationTools.h"
#include "phase/ui/PhaseTools.h"
#include "spectral/ui/SpectralTools.h"

namespace corvane::ui {

void CreateToolWindows(TMainForm& mainForm) {
    // The workbench's tools: one line per subsystem.
    CreateSpectralTools(mainForm);
    CreateCorrelationTools(mainForm);
    CreatePhaseTools(mainForm);
}

} // namespace corvane::ui
