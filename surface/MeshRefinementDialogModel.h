#pragma once
// The "Refine Mesh" dialog without its window: six flow step counts and
// "Subdivide Once", all cleared each time it opens.

#include <string>

namespace vynui {

class CSurfaceManager;

class MeshRefinementDialogModel {
public:
    static const unsigned int MAX_STEPS = 500;

    /// Every count "0", "Subdivide Once" unticked.
    void Reset();
    /// Checks every count (0 to 500); when one is out of range nothing runs
    /// and message holds the range text. Otherwise refines every surface.
    bool OnOK(CSurfaceManager& manager, std::string* message = nullptr);

    std::string rznText = "0";
    std::string znText = "0";
    std::string rnText = "0";
    std::string rText = "0";
    std::string zText = "0";
    std::string nText = "0";
    bool subdivideOnce = false;
};

}  // namespace vynui
