#pragma once
// Base of every operator (blends, CSG, warps, hollow, mirror): a field over an
// ordered list of child fields. Children are not owned. Any ScalarField can be
// a child, including another operator or a tree node.

#include <vector>

#include "implicit/ScalarField.h"

namespace vynimplicit {

class CompositionOperator : public ScalarField {
public:
    /// Inserts child at position (-1, or any position past the end, appends).
    /// A null child or one already present is refused; false then.
    virtual bool AddChild(ScalarField* child, int position = -1);
    /// Removes the child; false when it is not a child.
    virtual bool RemoveChild(ScalarField* child);
    virtual void ClearChildren();
    unsigned int GetNumChildren() const { return static_cast<unsigned int>(m_children.size()); }
    /// The child at index, or null when out of range.
    ScalarField* GetChild(unsigned int index) const
    {
        return index < m_children.size() ? m_children[index] : nullptr;
    }
    const std::vector<ScalarField*>& GetChildren() const { return m_children; }

    /// Union of the children's FieldBounds; empty without children.
    /// Operators whose support differs (warps, intersections) override it.
    void FieldBounds(Wml::AxisAlignedBox3<float>& box) override;
    /// Every child's seed points.
    void GetSeedPoints(std::vector<Wml::Vector3<float>>& points) override;
    /// Colour of the child with the largest value at the point (grey when
    /// there is no child).
    void Color(float x, float y, float z, float& r, float& g, float& b) override;

protected:
    std::vector<ScalarField*> m_children;
};

}  // namespace vynimplicit
