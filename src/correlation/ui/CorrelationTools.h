#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes the correlation windows of the frame once, at start-up: the status window, and the
/// correlation commands with the parameter wizard they show, and the post-processing windows:
/// displacement sampling, image scale, material parameters and strain.
void CreateCorrelationTools(TMainForm& mainForm);

} // namespace corvane::ui
