#pragma once
// A scene object with a frame of its own and float parameters that count
// their writes, and a scripted user interface that keeps the value
// dialog's requests.

#include <deque>
#include <string>
#include <vector>

#include "scene/GenericFloatParameter.h"
#include "scene/SceneObject.h"
#include "tests/support/ScriptedUserInterface.h"
#include "wml/Frame3.h"

namespace animtest {

class KeyedObject;

/// A float in -100 ... 100 held by a KeyedObject.
class CountingParameter : public vynui::GenericFloatParameter {
public:
    CountingParameter(const std::string& name, float* target, bool excluded = false)
        : GenericFloatParameter(name, -100.0f, 100.0f, excluded), m_target(target)
    {
    }
    void ApplyValue(float value) override
    {
        ++writes;
        *m_target = value;
    }
    float ReadValue() override { return *m_target; }

    int writes = 0;

private:
    float* m_target;
};

/// Moves, turns and scales its own frame; "Height" is animatable, "Hidden"
/// is excluded.
class KeyedObject : public vynui::SceneObject {
public:
    KeyedObject()
    {
        height = new CountingParameter("Height", &heightValue);
        hidden = new CountingParameter("Hidden", &hiddenValue, true);
        AddParameter(height);
        AddParameter(hidden);
    }

    Wml::Frame3<float> GetFrame() override { return frame; }
    void DoTranslate(const Wml::Vector3<float>& v, bool relative) override
    {
        frame.Origin() = relative ? frame.Origin() + v : v;
    }
    void DoRotate(const Wml::Matrix3<float>& m, bool relative) override { frame.Rotate(m, relative); }

    /// Another float parameter, as an object that grows one later would.
    CountingParameter* AddLater(const std::string& name, float value)
    {
        extraValues.push_back(value);
        auto* parameter = new CountingParameter(name, &extraValues.back());
        AddParameter(parameter);
        return parameter;
    }

    Wml::Frame3<float> frame;
    float heightValue = 0.0f;
    float hiddenValue = 0.0f;
    CountingParameter* height;
    CountingParameter* hidden;
    std::deque<float> extraValues;  // stable addresses as it grows
};

/// Keeps every value request as asked.
class RequestRecordingUI : public kftest::ScriptedUserInterface {
public:
    bool AskValue(const vynui::ValueRequest& request, float& value) override
    {
        requests.push_back(request);
        return ScriptedUserInterface::AskValue(request, value);
    }
    std::vector<vynui::ValueRequest> requests;
};

}  // namespace animtest
