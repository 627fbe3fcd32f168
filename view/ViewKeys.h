#pragma once
// The keys of the 3D view and what each does: the one list the help window
// shows. CViewCore::Character and SpecialKeyDown/Up act on these keys; a
// test holds the two together.

#include <string>
#include <vector>

namespace vynui {

struct ViewKey {
    /// The character typed, or 0 for a special key.
    int character = 0;
    /// CViewCore::SpecialKey (Space, Escape, Alt), or 0 for a character.
    int special = 0;
    /// As shown to a person: "+", "Space (held)".
    std::string label;
    /// What it does, one sentence.
    std::string effect;
    /// Also handed on to the input listeners as a key event.
    bool passedOn = false;
    /// Reserved: does nothing.
    bool noOp = false;
};

/// Every key the view handles itself, characters in the order of the keys
/// table, then Space, Escape and Alt.
const std::vector<ViewKey>& ViewKeyTable();

/// The entry of a character key; null when the view passes that character on
/// to its input listeners untouched.
const ViewKey* FindCharacterKey(int character);
/// The entry of a special key; null when the view ignores it.
const ViewKey* FindSpecialKey(int special);

}  // namespace vynui
