#include "dotgrid/ui/DotGridTools.h"

#include "dotgrid/ui/TDotGridCodeCommands.h"
#include "dotgrid/ui/TEncodeParameterForm.h"
#include "dotgrid/ui/TSegmentParameterForm.h"
#include "dotgrid/ui/TSimpleSegmentParameterForm.h"
#include "dotgrid/ui/TSpeckleAnalysisParaForm.h"

namespace corvane::ui {

void CreateDotGridTools(TMainForm& mainForm) {
    // Tool windows are parented to the frame, which deletes them; one line per tool.
    new TSpeckleAnalysisParaForm(mainForm);
    new TSegmentParameterForm(mainForm);
    new TSimpleSegmentParameterForm(mainForm);
    // Encoding and code matching.
    new TEncodeParameterForm(mainForm);
    new TDotGridCodeCommands(mainForm);
}

} // namespace corvane::ui
