#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes the spectral tool windows of the frame once, at start-up: "Forward FFT" and "Inverse FFT".
void CreateSpectralTools(TMainForm& mainForm);

} // namespace corvane::ui
