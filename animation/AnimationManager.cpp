#include "animation/AnimationManager.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "scene/IParameter.h"
#include "scene/SceneManager.h"
#include "scene/SceneObject.h"
#include "scene/SceneObjectManager.h"
#include "scene/UserInterface.h"
#include "wml/Matrix3.h"
#include "wml/Quaternion.h"

namespace vynui {

namespace {

using Vector3f = Wml::Vector3<float>;
using Matrix3f = Wml::Matrix3<float>;
using Quaternionf = Wml::Quaternion<float>;

// Turns below this angle (radians) are rounding noise, not a change of
// orientation: applying them would only wake the listeners.
const float ANGLE_TOLERANCE = 1.0e-5f;

// The orientation of a frame as a unit quaternion of its local -> world map
// (the matrix whose columns are the axes).
Quaternionf Orientation(const Wml::Frame3<float>& frame)
{
    Quaternionf q(frame.GetLocalToWorldRotation());
    q.Normalize();
    return q;
}

// The last key at or before frame and the one after it (end when none).
// keys is never empty: every track holds its key at frame 0.
template <class Keys>
void Bracket(const Keys& keys, unsigned frame, typename Keys::const_iterator& k0,
             typename Keys::const_iterator& k1)
{
    k1 = keys.upper_bound(frame);
    k0 = k1 == keys.begin() ? k1 : std::prev(k1);
}

double Fraction(unsigned frame, unsigned f0, unsigned f1)
{
    return (double(frame) - double(f0)) / (double(f1) - double(f0));
}

// The smallest rotation taking unit vector from onto unit vector to; half a
// turn about fallbackAxis when they are opposite.
Matrix3f AlignVectors(const Vector3f& from, const Vector3f& to, const Vector3f& fallbackAxis)
{
    Vector3f axis = from.Cross(to);
    const float sine = axis.Length();
    const float cosine = from.Dot(to);
    if (sine <= 1.0e-7f) {
        if (cosine > 0.0f) return Matrix3f();
        return Matrix3f(fallbackAxis, Wml::Math<float>::PI);
    }
    return Matrix3f(axis / sine, std::atan2(sine, cosine));
}

// The turn that brings the current axes onto the target's: first the z axes
// together, then the x axes about the common z axis. False, with no turn,
// when the current frame has no usable x or z axis (a flattened object):
// no rotation can bring such axes onto the target's.
bool AlignmentTurn(const Wml::Frame3<float>& current, const Matrix3f& targetLocalToWorld, Matrix3f& turn)
{
    Vector3f x = current.X(), z = current.Z();
    Vector3f targetX = targetLocalToWorld.GetColumn(0), targetZ = targetLocalToWorld.GetColumn(2);
    if (!(x.Normalize() > 1.0e-6f) || !(z.Normalize() > 1.0e-6f)) return false;
    if (std::fabs(x.Dot(z)) > 0.999f) return false;
    targetX.Normalize();
    targetZ.Normalize();
    const Matrix3f alignZ = AlignVectors(z, targetZ, x);
    Vector3f turnedX = alignZ * x;
    const float angle = std::atan2(turnedX.Cross(targetX).Dot(targetZ), turnedX.Dot(targetX));
    turn = Matrix3f(targetZ, angle) * alignZ;
    return true;
}

// The angle of a rotation matrix, read robustly from its trace.
float TurnAngle(const Matrix3f& m)
{
    const float c = 0.5f * (m(0, 0) + m(1, 1) + m(2, 2) - 1.0f);
    return std::acos(std::max(-1.0f, std::min(1.0f, c)));
}

// A frame number typed into the value dialog, or false for anything the
// dialog should not have let through.
bool ToFrame(float value, unsigned minimum, unsigned& frame)
{
    if (!std::isfinite(value)) return false;
    const float whole = std::floor(value);
    if (whole < float(minimum) || whole > float(CAnimationManager::MAX_FRAME)) return false;
    frame = static_cast<unsigned>(whole);
    return true;
}

}  // namespace

CAnimationManager::CAnimationManager(CSceneManager* scene) : m_scene(scene) {}

CSceneManager* CAnimationManager::Scene() const
{
    return m_scene ? m_scene : GetSceneManager();
}

SceneObjectManager* CAnimationManager::Objects() const
{
    CSceneManager* scene = Scene();
    return scene ? scene->GetObjectManager() : nullptr;
}

// ---------------------------------------------------------------- tracks

void CAnimationManager::Synchronize(std::vector<SceneObject*>& objects,
                                    std::vector<LiveParameter>& parameters)
{
    objects.clear();
    parameters.clear();
    if (SceneObjectManager* registry = Objects()) objects = registry->GetObjects().Items();

    std::set<ParameterKey> liveParameters;
    std::set<unsigned> liveObjects;
    for (SceneObject* object : objects) {
        liveObjects.insert(object->GetObjectID());
        ParameterList* list = object->GetParameterList();
        if (!list) continue;
        for (IParameter* parameter : list->GetParameters()) {
            if (!parameter || parameter->GetType() != PARAMETER_FLOAT || parameter->IsExcluded()) continue;
            ParameterKey key{object->GetObjectID(), parameter};
            if (!liveParameters.insert(key).second) continue;
            parameters.push_back({key, parameter});
        }
    }

    // Drop first, without touching the parameters or objects: they may be gone.
    for (auto it = m_parameterTracks.begin(); it != m_parameterTracks.end();)
        it = liveParameters.count(it->first) ? std::next(it) : m_parameterTracks.erase(it);
    for (auto it = m_objectTracks.begin(); it != m_objectTracks.end();)
        it = liveObjects.count(it->first) ? std::next(it) : m_objectTracks.erase(it);

    for (const LiveParameter& live : parameters) {
        auto it = m_parameterTracks.find(live.key);
        if (it != m_parameterTracks.end() && it->second.name == live.parameter->GetName()) continue;
        ParameterTrack track;
        track.name = live.parameter->GetName();
        track.keys[0] = live.parameter->GetFloatValue();
        m_parameterTracks[live.key] = std::move(track);
    }
    for (SceneObject* object : objects) {
        ObjectKeys& keys = m_objectTracks[object->GetObjectID()];
        if (keys.empty()) keys[0] = object->GetFrame();
    }
}

void CAnimationManager::SynchronizeTracks()
{
    std::vector<SceneObject*> objects;
    std::vector<LiveParameter> parameters;
    Synchronize(objects, parameters);
}

void CAnimationManager::Evaluate(unsigned frame, const std::vector<SceneObject*>& objects,
                                 const std::vector<LiveParameter>& parameters)
{
    for (const LiveParameter& live : parameters) {
        const ParameterKeys& keys = m_parameterTracks[live.key].keys;
        if (keys.empty()) continue;
        ParameterKeys::const_iterator k0, k1;
        Bracket(keys, frame, k0, k1);
        float value;
        if (k0 == k1)
            value = keys.begin()->second;
        else if (k1 == keys.end())
            value = k0->second;
        else {
            const double t = Fraction(frame, k0->first, k1->first);
            value = float((1.0 - t) * double(k0->second) + t * double(k1->second));
        }
        if (value != live.parameter->GetFloatValue()) live.parameter->SetFloatValue(value);
    }

    for (SceneObject* object : objects) {
        const ObjectKeys& keys = m_objectTracks[object->GetObjectID()];
        if (keys.empty()) continue;
        ObjectKeys::const_iterator k0, k1;
        Bracket(keys, frame, k0, k1);
        if (k0 == k1) k0 = keys.begin();
        Quaternionf target = Orientation(k0->second);
        if (k0 != k1 && k1 != keys.end())
            target =
                Wml::Slerp(float(Fraction(frame, k0->first, k1->first)), target, Orientation(k1->second));
        Matrix3f targetLocalToWorld;
        target.ToRotationMatrix(targetLocalToWorld);
        Matrix3f turn;
        if (AlignmentTurn(object->GetFrame(), targetLocalToWorld, turn) && TurnAngle(turn) > ANGLE_TOLERANCE)
            object->Rotate(turn, true);
    }

    if (CSceneManager* scene = Scene()) scene->NotifyRedraw();
}

const CAnimationManager::ParameterKeys* CAnimationManager::GetParameterKeys(SceneObject* object,
                                                                            IParameter* parameter) const
{
    if (!object) return nullptr;
    auto it = m_parameterTracks.find(ParameterKey{object->GetObjectID(), parameter});
    return it == m_parameterTracks.end() ? nullptr : &it->second.keys;
}

const CAnimationManager::ObjectKeys* CAnimationManager::GetObjectKeys(SceneObject* object) const
{
    if (!object) return nullptr;
    auto it = m_objectTracks.find(object->GetObjectID());
    return it == m_objectTracks.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- operations

void CAnimationManager::SetCurrentFrame(unsigned frame)
{
    std::vector<SceneObject*> objects;
    std::vector<LiveParameter> parameters;
    Synchronize(objects, parameters);
    Evaluate(frame, objects, parameters);
    m_currentFrame = frame;
}

void CAnimationManager::SetKeyframe()
{
    std::vector<SceneObject*> objects;
    std::vector<LiveParameter> parameters;
    Synchronize(objects, parameters);
    for (const LiveParameter& live : parameters)
        if (!live.parameter->IsExcluded())
            m_parameterTracks[live.key].keys[m_currentFrame] = live.parameter->GetFloatValue();
    for (SceneObject* object : objects)
        m_objectTracks[object->GetObjectID()][m_currentFrame] = object->GetFrame();
    m_keyedFrames.insert(m_currentFrame);
}

void CAnimationManager::ClearKeyframe()
{
    SynchronizeTracks();
    if (m_currentFrame != 0) {
        for (auto& entry : m_parameterTracks) entry.second.keys.erase(m_currentFrame);
        for (auto& entry : m_objectTracks) entry.second.erase(m_currentFrame);
    }
    m_keyedFrames.erase(m_currentFrame);
}

void CAnimationManager::ResetAnimation()
{
    m_parameterTracks.clear();
    m_objectTracks.clear();
    // The keyed frames name keys that no longer exist; keeping them would
    // hold the smallest length up for nothing.
    m_keyedFrames.clear();
    SynchronizeTracks();
}

void CAnimationManager::SetLength(unsigned length)
{
    m_length = std::max(1u, std::min(length, MAX_FRAME));
}

unsigned CAnimationManager::GetMinimumLength() const
{
    if (m_keyedFrames.empty()) return 1;
    return std::min(*m_keyedFrames.rbegin() + 1, MAX_FRAME);
}

// ---------------------------------------------------------------- commands

bool CAnimationManager::AskCurrentFrame()
{
    SynchronizeTracks();
    if (!m_ui) return true;
    ValueRequest request;
    request.label = "Current Frame";
    request.minimum = 0.0f;
    request.maximum = float(MAX_FRAME);
    request.current = float(m_currentFrame);
    request.integer = true;
    float value = request.current;
    unsigned frame = 0;
    if (!m_ui->AskValue(request, value) || !ToFrame(value, 0, frame)) return true;
    if (m_length < frame) m_length = frame;
    SetCurrentFrame(frame);
    return true;
}

bool CAnimationManager::AskLength()
{
    SynchronizeTracks();
    if (!m_ui) return true;
    ValueRequest request;
    request.label = "Max Frame";
    request.minimum = float(GetMinimumLength());
    request.maximum = float(MAX_FRAME);
    request.current = float(m_length);
    request.integer = true;
    float value = request.current;
    unsigned length = 0;
    if (!m_ui->AskValue(request, value) || !ToFrame(value, GetMinimumLength(), length)) return true;
    m_length = length;
    return true;
}

const std::vector<std::string>& CAnimationManager::CommandNames()
{
    static const std::vector<std::string> names = {"Set Length", "Set Current Frame", "Set Keyframe",
                                                   "Clear Keyframe", "Reset Animation"};
    return names;
}

bool CAnimationManager::OnCommand(const std::string& menuText)
{
    if (menuText == "Set Length") return AskLength();
    if (menuText == "Set Current Frame") return AskCurrentFrame();
    if (menuText == "Set Keyframe") {
        SetKeyframe();
        return true;
    }
    if (menuText == "Clear Keyframe") {
        ClearKeyframe();
        return true;
    }
    if (menuText == "Reset Animation") {
        ResetAnimation();
        return true;
    }
    return false;
}

bool CAnimationManager::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    const auto& names = CommandNames();
    if (std::find(names.begin(), names.end(), menuText) == names.end()) return false;
    state.enabled = true;
    state.checked = false;
    return true;
}

}  // namespace vynui
