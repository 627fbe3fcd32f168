#pragma once
// Value points that constrain a 2D implicit function: where the sketch field
// should be at the surface value, and where inside or outside of it.

#include <set>

#include "wml/Vector2.h"

namespace vynsketch {

/**
 * \brief An ordered set of value points (position, target value, smoothing).
 *
 * Points are ordered by position x, then y. A point whose position equals one
 * already held is ignored, so the first value given for a position wins. The
 * four levels are fixed at construction; producers (strokes, outlines) read
 * them to place their points.
 */
class PointSet {
public:
    struct Point {
        Point() : position(0.0f, 0.0f), value(0.0f), smoothing(0.0f) {}
        Point(const Wml::Vector2<float>& p, float v, float s) : position(p), value(v), smoothing(s) {}

        Wml::Vector2<float> position;
        float value;
        /// Regularisation weight of the fit at this point (larger = smoother).
        float smoothing;
    };

    /// Strict lexicographic order on the position (x, then y).
    struct PositionOrder {
        bool operator()(const Point& a, const Point& b) const
        {
            return a.position.X() < b.position.X() ||
                   (a.position.X() == b.position.X() && a.position.Y() < b.position.Y());
        }
    };
    typedef std::set<Point, PositionOrder> PointList;

    PointSet(float surfaceValue, float insideValue, float outsideValue, float normalProjectionLength);
    virtual ~PointSet() = default;

    /// Adds the point unless its position is already held or not finite;
    /// true when it was added.
    bool AddPoint(const Point& point);
    void Clear() { m_points.clear(); }

    const PointList& GetPoints() const { return m_points; }
    unsigned GetNumPoints() const { return static_cast<unsigned>(m_points.size()); }

    float GetSurfaceValue() const { return m_surfaceValue; }
    float GetInsideValue() const { return m_insideValue; }
    float GetOutsideValue() const { return m_outsideValue; }
    float GetNormalProjectionLength() const { return m_normalProjectionLength; }

private:
    float m_surfaceValue;
    float m_insideValue;
    float m_outsideValue;
    float m_normalProjectionLength;
    PointList m_points;
};

}  // namespace vynsketch
