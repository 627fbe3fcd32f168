#include "view/CachingControlDialogModel.h"

#include "blobtree/cache/FieldCacheManager.h"
#include "surface/PolygonizerControlDialogModel.h"

namespace vynui {

namespace {

int RadioOf(vynbt::FieldCache::SampleMode mode)
{
    // The caches read every mode but triquadratic as trilinear.
    return mode == vynbt::FieldCache::TriQuadratic ? CachingControlDialogModel::TRIQUADRATIC
                                                   : CachingControlDialogModel::TRILINEAR;
}

vynbt::FieldCache::SampleMode ModeOf(int radio)
{
    return radio == CachingControlDialogModel::TRIQUADRATIC ? vynbt::FieldCache::TriQuadratic
                                                            : vynbt::FieldCache::TriLinear;
}

bool IsRadio(int radio)
{
    return radio == CachingControlDialogModel::TRILINEAR || radio == CachingControlDialogModel::TRIQUADRATIC;
}

}  // namespace

void CachingControlDialogModel::Load(const vynbt::FieldCacheManager& manager)
{
    cachingEnabled = manager.IsCachingEnabled();
    valueSampling = RadioOf(manager.GetDefaultValueMode());
    gradientSampling = RadioOf(manager.GetDefaultGradientMode());
    resolutionText = std::to_string(manager.GetDefaultCacheResolution());
}

std::string CachingControlDialogModel::Check() const
{
    unsigned int resolution = 0;
    if (!ParseUnsignedInRange(resolutionText, MIN_RESOLUTION, MAX_RESOLUTION, resolution))
        return IntegerRangeMessage(MIN_RESOLUTION, MAX_RESOLUTION);
    if (!IsRadio(valueSampling) || !IsRadio(gradientSampling)) return "Please choose a sampling mode.";
    return std::string();
}

bool CachingControlDialogModel::Apply(vynbt::FieldCacheManager& manager, std::string* message) const
{
    const std::string problem = Check();
    if (!problem.empty()) {
        if (message) *message = problem;
        return false;
    }
    unsigned int resolution = 0;
    ParseUnsignedInRange(resolutionText, MIN_RESOLUTION, MAX_RESOLUTION, resolution);
    manager.EnableCaching(cachingEnabled);
    manager.SetDefaultValueMode(ModeOf(valueSampling), true);
    manager.SetDefaultGradientMode(ModeOf(gradientSampling), true);
    // Resizing throws every stored sample away: only when asked for.
    if (resolution != manager.GetDefaultCacheResolution())
        manager.SetDefaultCacheResolution(resolution, true);
    if (message) message->clear();
    return true;
}

}  // namespace vynui
