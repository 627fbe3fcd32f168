#include "implicit/CompositionOperator.h"

#include <algorithm>

namespace vynimplicit {

bool CompositionOperator::AddChild(ScalarField* child, int position)
{
    if (!child || child == this) return false;
    if (std::find(m_children.begin(), m_children.end(), child) != m_children.end()) return false;
    if (position < 0 || static_cast<size_t>(position) >= m_children.size())
        m_children.push_back(child);
    else
        m_children.insert(m_children.begin() + position, child);
    return true;
}

bool CompositionOperator::RemoveChild(ScalarField* child)
{
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return false;
    m_children.erase(it);
    return true;
}

void CompositionOperator::ClearChildren()
{
    m_children.clear();
}

void CompositionOperator::FieldBounds(Wml::AxisAlignedBox3<float>& box)
{
    box.MakeEmpty();
    Wml::AxisAlignedBox3<float> childBox;
    for (ScalarField* child : m_children) {
        child->FieldBounds(childBox);
        box.Merge(childBox);
    }
}

void CompositionOperator::GetSeedPoints(std::vector<Wml::Vector3<float>>& points)
{
    for (ScalarField* child : m_children) child->GetSeedPoints(points);
}

void CompositionOperator::Color(float x, float y, float z, float& r, float& g, float& b)
{
    ScalarField* best = nullptr;
    float bestValue = -1.0f;
    for (ScalarField* child : m_children) {
        const float v = child->Value(x, y, z);
        if (v > bestValue) {
            bestValue = v;
            best = child;
        }
    }
    if (best)
        best->Color(x, y, z, r, g, b);
    else
        ScalarField::Color(x, y, z, r, g, b);
}

}  // namespace vynimplicit
