#pragma once
// What the 3D tools know of the view they were last drawn in: viewport and
// matrices (captured from GL at draw time, or built from a camera without
// GL), and what follows from them: the eye, the view direction, the world
// directions of the screen's axes, and the view scale that keeps handles at
// a constant size on screen. Pick rays are made from the same matrices, so
// picking sees exactly what was drawn.

#include "wml/Ray3.h"
#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui {

struct ToolViewData {
    /// x, y, width, height in window pixels (y from the bottom).
    int viewport[4] = {0, 0, 0, 0};
    /// Column-major, as GL keeps them.
    double modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Wml::Vector3<float> cameraPosition = Wml::Vector3<float>(0.0f, 0.0f, 0.0f);
    /// Unit length.
    Wml::Vector3<float> viewDirection = Wml::Vector3<float>(0.0f, 0.0f, -1.0f);
    /// Unit world directions of the screen's right and up.
    Wml::Vector3<float> screenX = Wml::Vector3<float>(1.0f, 0.0f, 0.0f);
    Wml::Vector3<float> screenY = Wml::Vector3<float>(0.0f, 1.0f, 0.0f);
    /// World size of handles relative to their nominal size; the tool
    /// manager sets it from the active tool's size measure.
    float viewScale = 1.0f;

    /// The camera's viewport and matrices; the screen axes are measured at
    /// the depth of the camera's target.
    static ToolViewData FromCamera(const Wml::ExtendedWmlCamera& camera);
    /// Derives the eye, view direction and screen axes from the matrices.
    /// screenDepth is the window depth at which the screen axes are
    /// measured (the difference between the unprojected viewport centre and
    /// the points 5 pixels right of it and 5 pixels above it).
    static ToolViewData FromMatrices(const int viewport[4], const double modelview[16],
                                     const double projection[16], float screenDepth);
    /// Reads the current GL viewport and matrices (needs a current context).
    static ToolViewData CaptureFromGL(float screenDepth);

    /// True when the viewport has an area and projection × modelview is
    /// invertible.
    bool IsValid() const;

    /// World point -> window x, y (pixels, y from the bottom) and depth in
    /// [0, 1]. False for a point on or behind the eye plane, or invalid data.
    bool Project(const Wml::Vector3<float>& world, float& x, float& y, float& depth) const;
    /// Window point and depth -> world point. False for invalid data.
    bool Unproject(float x, float y, float depth, Wml::Vector3<float>& world) const;
    /// The ray from the window point unprojected at depth 0 towards the same
    /// point at depth 1 (unit direction). Window coordinates are continuous:
    /// pixel (i, j) has its centre at (i + 0.5, j + 0.5). Invalid data gives
    /// a ray from the eye along the view direction.
    Wml::Ray3<float> GetPickRay(float x, float y) const;

    /// The world length that a quarter of the viewport height spans at point
    /// (measured along the screen's y axis); 0 when it cannot be measured
    /// (invalid data, point behind the eye).
    float WorldLengthOfQuarterView(const Wml::Vector3<float>& point) const;
};

}  // namespace vynui
