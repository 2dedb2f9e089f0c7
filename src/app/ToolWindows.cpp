#include "app/ToolWindows.h"

#include "correlation/ui/CorrelationTools.h"
#include "spectral/ui/SpectralTools.h"

namespace corvane::ui {

void CreateToolWindows(TMainForm& mainForm) {
    // The workbench's tools: one line per subsystem.
    CreateSpectralTools(mainForm);
    CreateCorrelationTools(mainForm);
}

} // namespace corvane::ui
