#include "surface/MeshRefinementDialogModel.h"

#include "surface/PolygonizerControlDialogModel.h"
#include "surface/SurfaceManager.h"

namespace vynui {

void MeshRefinementDialogModel::Reset()
{
    rznText = znText = rnText = rText = zText = nText = "0";
    subdivideOnce = false;
}

bool MeshRefinementDialogModel::OnOK(CSurfaceManager& manager, std::string* message)
{
    const std::string* texts[6] = {&rznText, &znText, &rnText, &rText, &zText, &nText};
    unsigned int steps[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i) {
        if (!ParseUnsignedInRange(*texts[i], 0, MAX_STEPS, steps[i])) {
            if (message) *message = IntegerRangeMessage(0, MAX_STEPS);
            return false;
        }
    }
    manager.RefineAllSurfaces(steps[0], steps[1], steps[2], steps[3], steps[4], steps[5], subdivideOnce);
    if (message) message->clear();
    return true;
}

}  // namespace vynui
