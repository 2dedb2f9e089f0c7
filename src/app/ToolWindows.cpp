#include "app/ToolWindows.h"

#include "correlation/ui/CorrelationTools.h"
#include "dotgrid/ui/DotGridTools.h"
#include "phase/ui/PhaseTools.h"
#include "spectral/ui/SpectralTools.h"
#include "tools/ui/UtilityTools.h"

namespace corvane::ui {

void CreateToolWindows(TMainForm& mainForm) {
    // The workbench's tools: one line per subsystem.
    CreateSpectralTools(mainForm);
    CreateCorrelationTools(mainForm);
    CreatePhaseTools(mainForm);
    CreateDotGridTools(mainForm);
    CreateUtilityTools(mainForm);
}

} // namespace corvane::ui
