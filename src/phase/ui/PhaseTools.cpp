#include "phase/ui/PhaseTools.h"

#include "phase/ui/TAbsolutePhaseForm.h"
#include "phase/ui/TConst3StepPhaseShiftForm.h"
#include "phase/ui/TConst4StepPhaseShiftForm.h"
#include "phase/ui/TEqual4StepPhaseShiftForm.h"
#include "phase/ui/TGenerateGridForm.h"
#include "phase/ui/TNewUnwrapForm.h"
#include "phase/ui/TOneImageMoireFFTForm.h"
#include "phase/ui/TPhaseCalculationForm.h"
#include "phase/ui/TPhaseCommands.h"
#include "phase/ui/TPseudoColorForm.h"
#include "phase/ui/TSimpleUnwrapForm.h"
#include "phase/ui/TTwoImageMoireFFTForm.h"

namespace corvane::ui {

void CreatePhaseTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    // Phase shifting, phase calculation, pseudo colour and the generators:
    new TGenerateGridForm(mainForm);
    new TConst3StepPhaseShiftForm(mainForm);
    new TEqual4StepPhaseShiftForm(mainForm);
    new TConst4StepPhaseShiftForm(mainForm);
    new TPhaseCalculationForm(mainForm);
    new TPseudoColorForm(mainForm);
    new TPhaseCommands(mainForm);
    new TOneImageMoireFFTForm(mainForm);
    new TTwoImageMoireFFTForm(mainForm);
    new TNewUnwrapForm(mainForm);
    new TAbsolutePhaseForm(mainForm);
    new TSimpleUnwrapForm(mainForm);
}

} // namespace corvane::ui
