#pragma once
// A cache of one scalar field: answers Value and Gradient from stored samples
// where it can. Composition nodes hold one each, over their evaluation wrapper.

#include "implicit/ScalarField.h"
#include "wml/AxisAlignedBox3.h"
#include "wml/Frame3.h"
#include "wml/Vector3.h"

namespace vynimplicit {
class AdaptiveUniformGrid3D;
}

namespace vynbt {

/// Threads: Value and Gradient may be called from several threads at once
/// (the source must allow that too). Everything that changes the cache
/// (SetFrame, SetOrigin, SetBounds, SetResolution, the sample modes,
/// InvalidateAll, InvalidateRegion) must run while no evaluation of it does;
/// the program serialises edits against evaluations.
class FieldCache {
public:
    /// Interpolation of stored samples; any value other than these is read as trilinear.
    enum SampleMode : int { TriLinear = 0, TriQuadratic = 1 };
    enum CacheType : int { PassThrough = 0, AdaptiveUniformGrid = 1 };

    /// source is not owned.
    explicit FieldCache(vynimplicit::ScalarField* source);
    FieldCache(const FieldCache&) = delete;
    FieldCache& operator=(const FieldCache&) = delete;

    virtual ~FieldCache();
    virtual float Value(float x, float y, float z) = 0;
    /// value is written when not null.
    virtual void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) = 0;
    virtual int GetCacheType() const = 0;
    /// Not supported by the grid cache (it is placed by its frame).
    virtual void SetOrigin(const Wml::Vector3<float>& origin) = 0;
    virtual Wml::Vector3<float> GetOrigin() const = 0;
    /// The placement through which world points map to the stored samples.
    virtual void SetFrame(const Wml::Frame3<float>& frame) = 0;
    virtual Wml::Frame3<float> GetFrame() const = 0;
    virtual void InvalidateAll() = 0;
    /// Drops the samples that an evaluation inside the world box may read.
    virtual void InvalidateRegion(const Wml::AxisAlignedBox3<float>& box) = 0;
    /// Sizes the sampling to box (the source's FieldBounds when null).
    virtual void SetBounds(const Wml::AxisAlignedBox3<float>* box) = 0;
    virtual void SetResolution(unsigned int resolution) = 0;
    /// The sample grid, or null for a cache without one.
    virtual vynimplicit::AdaptiveUniformGrid3D* GetGrid() = 0;

    void SetValueSampleMode(SampleMode mode) { m_valueMode = mode; }
    void SetGradientSampleMode(SampleMode mode) { m_gradientMode = mode; }
    SampleMode GetValueSampleMode() const { return m_valueMode; }
    SampleMode GetGradientSampleMode() const { return m_gradientMode; }
    vynimplicit::ScalarField* GetSource() const { return m_source; }

protected:
    SampleMode m_valueMode = TriLinear;
    SampleMode m_gradientMode = TriQuadratic;
    vynimplicit::ScalarField* m_source;
};

}  // namespace vynbt
