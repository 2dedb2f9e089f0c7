#pragma once
#include <span>

namespace corvane::ui {

/// The frame's menus, in menu-bar order.
enum class TMenu {
    File,
    Edit,
    View,
    CrossCor,
    Carrier,
    PhaseShift,
    Phase,
    Displacement,
    Parameters,
    Tools,
    Image,
    Window,
    Help
};

/// The frame's eight tool bars.
enum class TToolBar { None = -1, File, Edit, Zoom, CorRelation, Carrier, Phase, Displacement, Tools };

struct TMenuDef {
    const char* Name;    ///< objectName
    const char* Caption; ///< as shown in the menu bar
};

struct TToolBarDef {
    const char* Name; ///< objectName and title
};

/// One command of the frame, shown in its menu (and on its tool bar when it has one).
struct TCommand {
    TMenu Menu;
    const char* Name;                  ///< the action's objectName
    const char* Caption;               ///< menu caption
    const char* Hint = nullptr;        ///< "short|long", one text for both, or none
    const char* Shortcut = nullptr;    ///< key sequence, or none
    TToolBar ToolBar = TToolBar::None; ///< the tool bar that repeats it
    const char* ButtonText = nullptr;  ///< short tool-bar label (the caption when none)
    bool SeparatorBefore = false;      ///< a menu separator comes before it
    bool HandledByFrame = false;       ///< the frame handles it; other commands start disabled until
                                       ///< the tool that handles them connects to them
};

/// Menus in menu-bar order, tool bars in TToolBar order, and every command in menu order.
std::span<const TMenuDef> MenuTable();
std::span<const TToolBarDef> ToolBarTable();
std::span<const TCommand> CommandTable();

} // namespace corvane::ui
