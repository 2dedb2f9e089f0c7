#pragma once

namespace corvane::ui {

class TMDIChildForm;

/// What a visible tool window receives from the document windows. Coordinates are picture pixels.
/// A tool overrides the events it takes part in; a tool takes part only while its window is visible.
class TToolHooks {
  public:
    virtual ~TToolHooks() = default;
    /// Mouse move while dragging from (x1, y1) to (x2, y2).
    virtual void DocumentDragged(TMDIChildForm& /*child*/, int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    /// Every mouse move (also while dragging, after DocumentDragged).
    virtual void DocumentMouseMoved(TMDIChildForm& /*child*/, int /*x*/, int /*y*/) {}
    virtual void DocumentClicked(TMDIChildForm& /*child*/, int /*x*/, int /*y*/) {}
    virtual void DocumentDoubleClicked(TMDIChildForm& /*child*/) {}
    virtual void DocumentActivated(TMDIChildForm& /*child*/) {}
};

} // namespace corvane::ui
