#pragma once
// The "Caching Control Panel" dialog without its window: the caching switch,
// trilinear or triquadratic sampling for values and for gradients, and the
// grid resolution every cache uses.

#include <string>

namespace vynbt {
class FieldCacheManager;
}

namespace vynui {

class CachingControlDialogModel {
public:
    static constexpr unsigned int MIN_RESOLUTION = 4;
    static constexpr unsigned int MAX_RESOLUTION = 1024;
    /// Radio positions of both sampling groups.
    enum Sampling { TRILINEAR = 0, TRIQUADRATIC = 1 };

    /// Shows the manager's switch, default modes and default resolution.
    void Load(const vynbt::FieldCacheManager& manager);
    /// Empty when every field is valid, else the message to show.
    std::string Check() const;
    /// Refuses (nothing applied, message set) when Check finds a problem.
    /// Otherwise sets the switch, writes both modes into every cache and,
    /// only when the resolution differs from the manager's, resizes (and
    /// so empties) every cache.
    bool Apply(vynbt::FieldCacheManager& manager, std::string* message = nullptr) const;

    bool cachingEnabled = true;
    int valueSampling = TRILINEAR;
    int gradientSampling = TRIQUADRATIC;
    /// "Cache Resolution:" as typed.
    std::string resolutionText = "128";
};

}  // namespace vynui
