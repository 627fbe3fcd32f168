#pragma once
// Small scene objects and listeners shared by the core tests.

#include <string>
#include <vector>

#include "scene/SceneObject.h"
#include "tests/support/Near.h"
#include "wml/Frame3.h"

namespace kilnform_test {

/// A scene object with a full frame, moved by the hooks as the tools expect.
class FramedObject : public vynui::SceneObject {
public:
    Wml::Frame3<float> frame;

    Wml::Frame3<float> GetFrame() override { return frame; }
    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override
    {
        frame.Origin() = relative ? frame.Origin() + v : v;
    }
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override { frame.Rotate(m, relative); }
    void DoScale(float sx, float sy, float sz, bool relative, bool) override
    {
        Wml::Vector3<float> s(sx, sy, sz);
        frame.Scale() = relative ? frame.Scale().Scale(s) : s;
    }
};

/// Copies of every notification.
class RecordingListener : public vynui::SceneObjectListener {
public:
    struct Entry {
        vynui::SceneObject* object;
        int kind;  // -1 for a null event
        Wml::Vector3<float> vector;
        Wml::Matrix3<float> matrix;
        bool relative = false;
    };
    std::vector<Entry> entries;

    void OnSceneObjectChanged(vynui::SceneObject* object, const vynui::SceneObjectEvent* event) override
    {
        Entry e{object, event ? event->kind : -1, Wml::Vector3<float>::ZERO, Wml::Matrix3<float>(), false};
        if (event &&
            (event->kind == vynui::SCENE_OBJECT_TRANSLATED || event->kind == vynui::SCENE_OBJECT_SCALED))
            e.vector = *static_cast<const Wml::Vector3<float>*>(event->data);
        if (event && event->kind == vynui::SCENE_OBJECT_ROTATED) {
            const auto* r = static_cast<const vynui::SceneObjectRotation*>(event->data);
            e.matrix = r->m;
            e.relative = r->relative;
        }
        entries.push_back(e);
    }
    std::vector<int> Kinds() const
    {
        std::vector<int> k;
        for (const Entry& e : entries) k.push_back(e.kind);
        return k;
    }
};

inline ::testing::AssertionResult Near(const Wml::Vector3<float>& a, const Wml::Vector3<float>& b,
                                       float tol = 1e-4f)
{
    return kftest::Near(a, b, tol);
}

}  // namespace kilnform_test
