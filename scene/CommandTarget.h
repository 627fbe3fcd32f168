#pragma once
// Something that handles menu commands by their menu text (without '&' and
// the accelerator). The view routes a command through its managers in a fixed
// order until one handles it; menus ask each command's state the same way.

#include <string>

namespace vynui {

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    /// True when this target handled the command.
    virtual bool OnCommand(const std::string& menuText) = 0;
    /// True when this target handles the command; state then holds whether
    /// it is enabled and checked.
    virtual bool OnUpdateCommand(const std::string& /*menuText*/, CommandState& /*state*/) { return false; }
};

}  // namespace vynui
