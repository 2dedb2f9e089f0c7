#include "shell/TMainForm.h"

#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "spectral/ui/TForwardFFTForm.h"
#include "spectral/ui/TInverseFFTForm.h"

namespace corvane::ui {

void CreateToolWindows(TMainForm& mainForm) {
    // Each tool window is made here once, in start-up order (forward FFT, inverse FFT, one-image
    // moire, line distribution, correlation status, correlation wizard, grid generation, two-image
    // moire, merge, histogram, unwrap, absolute phase, the phase-shifting tools, scale, material,
    // phase calculation, strain, speckle, the segmentation tools, encoding, simple unwrap, pseudo
    // colour), parented to the frame, and connects itself to its command through
    // mainForm.Action("...") and, when it takes part in mouse events, RegisterToolHooks.
    // Forward and inverse FFT tools.
    new TForwardFFTForm(mainForm);
    new TInverseFFTForm(mainForm);
    // Correlation status window, then the correlation commands, which make the parameter wizard.
    auto* corRelationStatus = new TCorRelationStatusForm(mainForm.Dialogs(), &mainForm);
    new TCorRelationCommands(mainForm, *corRelationStatus);
}

} // namespace corvane::ui
