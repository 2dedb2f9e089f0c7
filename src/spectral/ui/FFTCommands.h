#pragma once
#include <QAction>
#include <QPointer>

#include "shell/TMainForm.h"

namespace corvane::ui {

/// The frame's two FFT commands, disabled while either FFT tool is shown. Kept as guarded
/// pointers so that a tool hidden while the frame is being torn down touches nothing gone.
class FFTCommands {
public:
    explicit FFTCommands(TMainForm& mainForm)
        : forward_(mainForm.Action(QStringLiteral("FFTAction"))),
          inverse_(mainForm.Action(QStringLiteral("InverseFFTAction"))) {}

    void SetEnabled(bool enabled) {
        if (forward_) forward_->setEnabled(enabled);
        if (inverse_) inverse_->setEnabled(enabled);
    }

private:
    QPointer<QAction> forward_;
    QPointer<QAction> inverse_;
};

} // namespace corvane::ui
