#pragma once
// Pairs of points (from, to) that tell a variational warp where space goes.

#include <vector>

#include "wml/Vector3.h"

namespace vynimplicit {

/// An ordered list of warp points: each moves a source position `from` to a
/// target position `to`. Plain value type (copyable). Points with non-finite
/// coordinates are refused; so is any point past MAX_POINTS.
class WarpPointSet {
public:
    /// Largest number of points a set holds (the warp's fit is cubic in it).
    static constexpr unsigned int MAX_POINTS = 2000;

    /// Appends a point; false (set unchanged) for non-finite input or a full set.
    bool AddPoint(const Wml::Vector3f& from, const Wml::Vector3f& to);
    /// Replaces point index; false (unchanged) when index is out of range or
    /// the input is not finite.
    bool SetPoint(unsigned int index, const Wml::Vector3f& from, const Wml::Vector3f& to);
    /// Reads point index; false (outputs untouched) when out of range.
    bool GetPoint(unsigned int index, Wml::Vector3f& from, Wml::Vector3f& to) const;
    /// Source of point index; the zero vector when out of range.
    Wml::Vector3f GetFrom(unsigned int index) const;
    /// Target of point index; the zero vector when out of range.
    Wml::Vector3f GetTo(unsigned int index) const;
    /// Removes point index; false when out of range.
    bool RemovePoint(unsigned int index);
    unsigned int GetNumPoints() const { return static_cast<unsigned int>(m_from.size()); }
    void Clear();
    /// True when every target equals its source (an empty set included).
    bool IsIdentity() const;

private:
    std::vector<Wml::Vector3f> m_from;
    std::vector<Wml::Vector3f> m_to;
};

}  // namespace vynimplicit
