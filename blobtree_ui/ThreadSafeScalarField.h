#pragma once
// The model's field for readers outside the edit path (rendering, texture
// and background work): every query takes the model's lock, so a reader
// never sees a half-edited tree.

#include "implicit/ScalarField.h"

namespace vynbt {
class RootNode;
}

namespace vynui_bt {

class BlobTreeSceneObject;

class ThreadSafeScalarField : public vynimplicit::ScalarField {
public:
    /// Neither is owned; both must outlive the wrapper. The field is
    /// normally the model's root node.
    ThreadSafeScalarField(BlobTreeSceneObject* model, vynimplicit::ScalarField* field);

    BlobTreeSceneObject* GetModel() const { return m_model; }
    vynimplicit::ScalarField* GetField() const { return m_field; }

    float Value(float x, float y, float z) override;
    void Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value) override;
    void Color(float x, float y, float z, float& r, float& g, float& b) override;
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    void SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box) override;
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
    /// The wrapped field's intersection with at most 10 refinement steps.
    bool FindIntersection(const Wml::Vector3<float>& start, const Wml::Vector3<float>& direction,
                          Wml::Vector3<float>& hit, const Wml::AxisAlignedBox3<float>* box, float stepSize,
                          float isoValue, unsigned int maxIterations) override;
    bool PrincipalCurvatures(float x, float y, float z, float& k1, float& k2, Wml::Vector3<float>* direction1,
                             Wml::Vector3<float>* direction2) override;

private:
    BlobTreeSceneObject* m_model;
    vynimplicit::ScalarField* m_field;
};

}  // namespace vynui_bt
