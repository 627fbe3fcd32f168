#pragma once
// A smooth camera move over a fixed number of timer steps: the camera slides
// by a displacement while it turns to keep a point in view, with an eased
// pace so that it starts and stops gently.

#include "wml/Vector3.h"

namespace Wml {
class ExtendedWmlCamera;
}

namespace vynui {

class CameraInterpolator {
public:
    /// Starts a move of camera (not owned) by displacement over steps timer
    /// ticks, aiming at lookAt all the way. A move with no steps, a
    /// non-finite vector or a null camera does not start.
    bool Start(Wml::ExtendedWmlCamera* camera, const Wml::Vector3<float>& displacement,
               const Wml::Vector3<float>& lookAt, int steps);
    /// One step; false when the move has ended (or never started).
    bool Step();
    bool IsRunning() const { return m_camera != nullptr; }
    void Stop() { m_camera = nullptr; }

private:
    Wml::ExtendedWmlCamera* m_camera = nullptr;
    Wml::Vector3<float> m_start{0.0f, 0.0f, 0.0f};
    Wml::Vector3<float> m_displacement{0.0f, 0.0f, 0.0f};
    Wml::Vector3<float> m_lookAt{0.0f, 0.0f, 0.0f};
    int m_steps = 0;
    int m_step = 0;
};

}  // namespace vynui
