#include "phase/ui/PhaseTools.h"

#include "phase/ui/TOneImageMoireFFTForm.h"
#include "phase/ui/TTwoImageMoireFFTForm.h"

namespace corvane::ui {

void CreatePhaseTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    new TOneImageMoireFFTForm(mainForm);
    new TTwoImageMoireFFTForm(mainForm);
}

} // namespace corvane::ui
