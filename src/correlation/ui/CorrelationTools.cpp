#include "correlation/ui/CorrelationTools.h"

#include "correlation/ui/TComputeScaleForm.h"
#include "correlation/ui/TComputeStrainForm.h"
#include "correlation/ui/TCorRelationCommands.h"
#include "correlation/ui/TCorRelationStatusForm.h"
#include "correlation/ui/TMaterialParaForm.h"
#include "correlation/ui/TMergeXYForm.h"

namespace corvane::ui {

void CreateCorrelationTools(TMainForm& mainForm) {
    // Parented to the frame, which deletes them.
    auto* status = new TCorRelationStatusForm(mainForm);
    new TCorRelationCommands(mainForm, *status);
    // Post-processing of displacement maps, and the scale and material constants.
    new TMergeXYForm(mainForm);
    new TComputeScaleForm(mainForm);
    new TMaterialParaForm(mainForm);
    new TComputeStrainForm(mainForm);
}

} // namespace corvane::ui
