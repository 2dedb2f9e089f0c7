#include "spectral/ui/SpectralTools.h"

#include "spectral/ui/TForwardFFTForm.h"
#include "spectral/ui/TInverseFFTForm.h"

namespace corvane::ui {

void CreateSpectralTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them.
    new TForwardFFTForm(mainForm);
    new TInverseFFTForm(mainForm);
}

} // namespace corvane::ui
