#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes the fringe and phase tool windows of the frame once, at start-up.
void CreatePhaseTools(TMainForm& mainForm);

} // namespace corvane::ui
