#pragma once

namespace corvane::ui {

class TMainForm;

/// Makes every tool window of the workbench once, at start-up, each subsystem through its one entry
/// point. Throws std::logic_error when a tool names a command the frame does not have.
void CreateToolWindows(TMainForm& mainForm);

} // namespace corvane::ui
