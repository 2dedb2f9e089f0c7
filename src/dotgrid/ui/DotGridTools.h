#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes the dot-grid tool windows (segmentation, speckle statistics, encoding) of the frame once, at
/// start-up.
void CreateDotGridTools(TMainForm& mainForm);

} // namespace corvane::ui
