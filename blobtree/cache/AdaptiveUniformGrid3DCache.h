#pragma once
// A cache over a sparse sample grid that fills lazily. The grid works in the
// cache frame's local coordinates, so moving or turning the frame moves the
// stored samples with it instead of discarding them.

#include <memory>

#include "blobtree/cache/FieldCache.h"
#include "blobtree/cache/FieldWithFrame.h"

namespace vynbt {

class AdaptiveUniformGrid3DCache : public FieldCache {
public:
    /// A grid of cell size 1 placed at the centre of source's FieldBounds, with
    /// the manager's default sample modes. The voxel size is set by SetBounds.
    explicit AdaptiveUniformGrid3DCache(vynimplicit::ScalarField* source);
    ~AdaptiveUniformGrid3DCache() override;

    /// Interpolated in the value mode; a cold cell of the grid is answered by
    /// the source until it has been asked often enough to be filled.
    float Value(float x, float y, float z) override;
    /// Trilinear, or in the smooth (TriQuadratic) mode interpolated from the
    /// grid's node gradients; cold cells as for Value.
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    int GetCacheType() const override { return AdaptiveUniformGrid; }
    /// Refused (with a trace message): the cache is placed through SetFrame.
    void SetOrigin(const Wml::Vector3<float>& origin) override;
    Wml::Vector3<float> GetOrigin() const override { return m_frame.Origin(); }
    /// A frame with non-finite numbers is refused.
    void SetFrame(const Wml::Frame3<float>& frame) override;
    Wml::Frame3<float> GetFrame() const override { return m_frame; }
    void InvalidateAll() override;
    /// Drops the samples under the world box, mapped into the frame (the
    /// local box around its eight corners).
    void InvalidateRegion(const Wml::AxisAlignedBox3<float>& box) override;
    /// Voxel size from box (source's FieldBounds when null) and the manager's
    /// default resolution; samples are dropped when the size changes.
    void SetBounds(const Wml::AxisAlignedBox3<float>* box) override;
    /// Drops every sample and sizes the voxels from the source's bounds and resolution.
    void SetResolution(unsigned int resolution) override;
    vynimplicit::AdaptiveUniformGrid3D* GetGrid() override { return m_grid.get(); }

private:
    /// Value past the warm path: the grid's cold-cell logic, then the source.
    float ColdValue(float x, float y, float z, const Wml::Vector3<float>& q);
    /// Centres the grid's window of blocks on the world box.
    void PlaceWindow(const Wml::AxisAlignedBox3<float>& box);

    std::unique_ptr<vynimplicit::AdaptiveUniformGrid3D> m_grid;
    FieldWithFrame m_adapter;
    Wml::Frame3<float> m_frame;
};

}  // namespace vynbt
