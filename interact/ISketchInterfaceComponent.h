#pragma once

namespace vynui {

class HUDToolbar;

/// Something that offers buttons on the sketch's suggestion toolbar. When a
/// component is exclusive, only the first such one is asked.
class ISketchInterfaceComponent {
public:
    virtual ~ISketchInterfaceComponent() = default;
    virtual bool IsExclusive() { return false; }
    virtual void AddSuggestions(HUDToolbar* toolbar) = 0;
};

}  // namespace vynui
