#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes the inspection tool windows (histogram, line distribution, median filter, coordinate size) of the
/// frame once, at start-up.
void CreateUtilityTools(TMainForm& mainForm);

} // namespace corvane::ui
