#include "blobtree_ui/ThreadSafeScalarField.h"

#include <algorithm>

#include "blobtree_ui/BlobTreeSceneObject.h"

namespace vynui_bt {

using Lock = boost::recursive_mutex::scoped_lock;

ThreadSafeScalarField::ThreadSafeScalarField(BlobTreeSceneObject* model, vynimplicit::ScalarField* field)
    : m_model(model), m_field(field)
{
}

float ThreadSafeScalarField::Value(float x, float y, float z)
{
    Lock lock(m_model->GetLock());
    return m_field->Value(x, y, z);
}

void ThreadSafeScalarField::Gradient(float x, float y, float z, float& gx, float& gy, float& gz, float* value)
{
    Lock lock(m_model->GetLock());
    m_field->Gradient(x, y, z, gx, gy, gz, value);
}

void ThreadSafeScalarField::Color(float x, float y, float z, float& r, float& g, float& b)
{
    Lock lock(m_model->GetLock());
    m_field->Color(x, y, z, r, g, b);
}

void ThreadSafeScalarField::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    Lock lock(m_model->GetLock());
    m_field->FieldBounds(box);
}

void ThreadSafeScalarField::SurfaceBounds(float isoValue, Wml::AxisAlignedBox3<float>& box)
{
    Lock lock(m_model->GetLock());
    m_field->SurfaceBounds(isoValue, box);
}

void ThreadSafeScalarField::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    Lock lock(m_model->GetLock());
    m_field->GetSeedPoints(points);
}

bool ThreadSafeScalarField::FindIntersection(const Wml::Vector3<float>& start,
                                             const Wml::Vector3<float>& direction, Wml::Vector3<float>& hit,
                                             const Wml::AxisAlignedBox3<float>* box, float stepSize,
                                             float isoValue, unsigned int /*maxIterations*/)
{
    Lock lock(m_model->GetLock());
    return m_field->FindIntersection(start, direction, hit, box, stepSize, isoValue, 10);
}

bool ThreadSafeScalarField::PrincipalCurvatures(float x, float y, float z, float& k1, float& k2,
                                                Wml::Vector3<float>* direction1,
                                                Wml::Vector3<float>* direction2)
{
    Lock lock(m_model->GetLock());
    return m_field->PrincipalCurvatures(x, y, z, k1, k2, direction1, direction2);
}

}  // namespace vynui_bt
