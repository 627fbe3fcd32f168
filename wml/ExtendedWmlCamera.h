#pragma once
// The view camera: a right-handed frame (left, up, direction) at a location,
// an orbit target in front of it, a perspective or orthographic projection
// and the viewport it draws into.
//
// Conventions:
//  * left cross up = direction; the screen's right is -left. The default
//    camera sits at (0, 0, 5), left (-1, 0, 0), up (0, 1, 0), looking at the
//    origin, so +X appears on the right half of the screen.
//  * The target always lies on the view axis: target = location +
//    distance * direction, with distance >= the minimum target distance.
//    Every operation keeps this true.
//  * Window pixels count y from the bottom (as GL does); pixel (x, y) covers
//    [x, x + 1) x [y, y + 1) and its centre is (x + 0.5, y + 0.5).
//  * The frustum extents (left, right, bottom, top) are measured on the near
//    plane. In orthographic mode the visible box has the same extents scaled
//    by distance / near, i.e. the perspective view's size at the target, so
//    switching modes keeps the target's apparent size and dolly still zooms.
//  * Pan and dolly amounts are world units at the reference distance
//    (REFERENCE_DISTANCE, the start-up distance) and scale in proportion to
//    the target distance, so they feel the same at any zoom.
//
// Only Update() talks to OpenGL; everything else works without a context.

#include <string>

#include "wml/Matrix3.h"
#include "wml/Ray3.h"
#include "wml/Vector3.h"

namespace Wml {

class SerializerRecord;

class ExtendedWmlCamera {
public:
    /// Distance at which pan and dolly amounts are world units.
    static constexpr float REFERENCE_DISTANCE = 5.0f;
    /// Snapped turntable views lie on multiples of this angle.
    static constexpr float SNAP_STEP_DEGREES = 15.0f;
    /// Default smallest distance between location and target.
    static constexpr float DEFAULT_MINIMUM_TARGET_DISTANCE = 0.01f;

    /// A camera at (0, 0, 5) looking at the origin with up +Y, a 45 degree
    /// vertical field of view with aspect width / height (1 when either is
    /// not positive), near 0.1, far 100, perspective, and a viewport of
    /// width x height pixels at (0, 0).
    ExtendedWmlCamera(float width = 1.0f, float height = 1.0f);

    // ---- frame ----------------------------------------------------------

    const Vector3<float>& GetLocation() const { return m_location; }
    const Vector3<float>& GetLeft() const { return m_left; }
    const Vector3<float>& GetUp() const { return m_up; }
    const Vector3<float>& GetDirection() const { return m_direction; }
    /// The screen's right, -left.
    Vector3<float> GetRight() const { return -m_left; }

    /// Places the camera. The direction is kept, then up is made
    /// perpendicular to it and left := up cross direction (left is only used
    /// when up is zero or parallel to the direction). The target follows at
    /// the current target distance. Answers false and changes nothing when
    /// the location is not finite or the direction is zero or not finite.
    bool SetFrame(const Vector3<float>& location, const Vector3<float>& left, const Vector3<float>& up,
                  const Vector3<float>& direction);

    /// Places the camera at location looking at target, then orients it as
    /// SetFrame does with direction = target - location. When location is
    /// closer to the target than the minimum distance, the location moves
    /// back along the (current, if undefined) direction to that distance.
    /// Answers false and changes nothing on non-finite input.
    bool SetFrameLookAt(const Vector3<float>& location, const Vector3<float>& left, const Vector3<float>& up,
                        const Vector3<float>& target);

    /// The orbit centre.
    const Vector3<float>& GetTarget() const { return m_target; }
    /// Turns the camera (location fixed, up kept as far as possible) to look
    /// at target; see SetFrameLookAt for a target too close.
    bool SetTarget(const Vector3<float>& target);
    /// |target - location|.
    float GetTargetDistance() const;
    /// Moves the location along the view axis so that it is distance away
    /// from the (fixed) target; clamped to the minimum. False on a
    /// non-finite distance.
    bool SetTargetDistance(float distance);

    float GetMinimumTargetDistance() const { return m_minTargetDistance; }
    /// Sets the closest approach to the target (non-positive or non-finite
    /// values are ignored); the current distance is raised to it if needed.
    void SetMinimumTargetDistance(float distance);

    /// The camera's rotation: rows left, up, direction (a proper rotation,
    /// mapping world vectors to camera (left, up, forward) coordinates).
    Matrix3<float> GetFrameMatrix() const;
    void GetFrameMatrix(Matrix3<float>& m) const { m = GetFrameMatrix(); }

    // ---- projection -----------------------------------------------------

    void SetPerspective(bool perspective) { m_perspective = perspective; }
    bool IsPerspective() const { return m_perspective; }

    /// Sets the near-plane extents and the clip distances. Answers false and
    /// keeps the old frustum unless every value is finite, left != right,
    /// bottom != top and 0 < near < far.
    bool SetFrustum(float left, float right, float bottom, float top, float nearDistance, float farDistance);
    /// Symmetric frustum from a vertical field of view in degrees (0, 180)
    /// and aspect = width / height > 0. False, unchanged, on bad input.
    bool SetFrustum(float fovYDegrees, float aspect, float nearDistance, float farDistance);
    void GetFrustum(float& left, float& right, float& bottom, float& top, float& nearDistance,
                    float& farDistance) const;
    float GetNear() const { return m_frustum[4]; }
    float GetFar() const { return m_frustum[5]; }
    /// Vertical field of view in degrees.
    float GetFieldOfViewY() const;
    /// (right - left) / (top - bottom).
    float GetAspectRatio() const;
    /// The orthographic box extents (left, right, bottom, top) in camera
    /// units, the frustum extents scaled by target distance / near.
    void GetOrthographicExtents(float& left, float& right, float& bottom, float& top) const;

    // ---- viewport -------------------------------------------------------

    /// The window area drawn into, in pixels. Negative sizes
    /// count as 0. The frustum is not changed (set its aspect separately).
    void SetViewport(int width, int height) { SetViewport(0, 0, width, height); }
    void SetViewport(int x, int y, int width, int height);
    void GetViewport(int& x, int& y, int& width, int& height) const;
    int GetViewportWidth() const { return m_viewport[2]; }
    int GetViewportHeight() const { return m_viewport[3]; }

    // ---- matrices and GL ------------------------------------------------

    /// Column-major projection matrix as glFrustum / glOrtho build it.
    void GetProjectionMatrix(float m[16]) const;
    /// Column-major world -> eye matrix (eye x = right, y = up, z = -direction).
    void GetViewMatrix(float m[16]) const;
    /// Loads the projection matrix (GL_PROJECTION) and the view matrix
    /// (GL_MODELVIEW, left current). Needs a current GL context; the GL
    /// viewport itself is left to the widget.
    void Update() const;

    // ---- picking and projection -----------------------------------------

    /// The ray through the centre of pixel (x, y), y counted from the bottom,
    /// in a width x height viewport. Perspective: from the location, unit
    /// direction. Orthographic: from the near plane, along the direction.
    /// A non-positive width or height uses the viewport centre on that axis.
    Ray3<float> GetPickRay(int x, int y, int width, int height) const;
    /// The same in the stored viewport (x, y relative to its corner).
    Ray3<float> GetPickRay(int x, int y) const;

    /// World point -> window coordinates of the stored viewport (y from the
    /// bottom, pixel centres at +0.5) and depth in [0, 1] between near and
    /// far, as GL computes them. Points outside the view still project.
    /// Answers false for a point on or behind the eye plane in perspective
    /// (the outputs are still finite).
    bool Project(const Vector3<float>& world, float& x, float& y, float& depth) const;
    /// Inverse of Project for the same viewport. A zero-size viewport maps
    /// to the view axis.
    Vector3<float> Unproject(float x, float y, float depth) const;

    // ---- navigation -----------------------------------------------------

    /// Moves toward (amount > 0) or away from the target along the view
    /// axis: distance := distance * exp(-amount / REFERENCE_DISTANCE), never
    /// below the minimum, so the camera never reaches or passes the target.
    void DollyZoom(float amount);
    /// Moves location and target along left by amount * distance /
    /// REFERENCE_DISTANCE (positive amount: camera to its left).
    void PanLateral(float amount);
    /// Moves location and target along up by amount * distance /
    /// REFERENCE_DISTANCE (positive amount: camera up).
    void PanVertical(float amount);
    /// Orbits the camera about the target, keeping the distance: first by dx
    /// radians about the world Y axis, then by dy radians about the camera's
    /// left axis (right-handed, so positive dy raises the camera). The
    /// elevation stops at the poles so the up vector never tips over (it
    /// stays in the half-space it started in). With snap, the turns
    /// accumulate across consecutive snapped calls and the camera is set to
    /// the nearest view whose azimuth and elevation are multiples of
    /// SNAP_STEP_DEGREES, levelled (left horizontal).
    void UpdateTurntable(float dx, float dy, bool snap);

    // ---- records (defined in FrameRecords.cpp) ---------------------------

    /// Writes location, left, up, direction, target (vector3), the frustum
    /// (float array: left, right, bottom, top, near, far), the perspective
    /// flag (uint 0/1), the viewport (ints x, y, width, height) and the
    /// minimum target distance into record, under keys prefix + "Camera...".
    void Store(SerializerRecord& record, const std::string& prefix = "") const;
    /// Reads what Store wrote, bit for bit. Answers false and leaves the
    /// camera unchanged when a field is missing or of another kind, a number
    /// is not finite, the axes are not orthonormal and right-handed, the
    /// target is not in front on the view axis (at least the minimum distance
    /// away), the frustum is one SetFrustum refuses or a viewport size is
    /// negative. The minimum target distance is optional (kept when absent).
    bool Restore(const SerializerRecord& record, const std::string& prefix = "");

private:
    void ProjectionMatrix(double m[16]) const;
    void ViewMatrix(double m[16]) const;
    // Writes an orthonormal frame with the given direction (up preferred,
    // then left); false when direction is unusable.
    bool BuildFrame(const Vector3<double>& direction, const Vector3<float>& left, const Vector3<float>& up);
    void PlaceOnAxis(double distance);  // location := target - distance * direction
    void NearPlanePoint(double fx, double fy, double& px, double& py) const;

    Vector3<float> m_location;
    Vector3<float> m_left;
    Vector3<float> m_up;
    Vector3<float> m_direction;
    Vector3<float> m_target;
    float m_frustum[6];  // left, right, bottom, top, near, far
    bool m_perspective;
    int m_viewport[4];  // x, y, width, height
    float m_minTargetDistance;

    // Unsnapped turntable angles (radians) while snapping drags go on.
    bool m_snapValid;
    double m_snapAzimuth;
    double m_snapElevation;
};

}  // namespace Wml
