#include "scene/SceneObject.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "scene/NameRegistry.h"
#include "scene/SceneObjectParameter_Name.h"
#include "wml/Serializer.h"

namespace vynui {

namespace {

unsigned int NextObjectID()
{
    static std::atomic<unsigned int> counter{1};
    return counter.fetch_add(1);
}

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool IsFinite(const Wml::Matrix3<float>& m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (!std::isfinite(m(r, c))) return false;
    return true;
}

void EraseFirst(std::vector<SceneObject*>& list, SceneObject* object)
{
    auto it = std::find(list.begin(), list.end(), object);
    if (it != list.end()) list.erase(it);
}

}  // namespace

SceneObject::SceneObject() : m_objectID(NextObjectID()), m_name(MakeUniqueName("SceneObject"))
{
    ClaimName(m_name);
    HoldName(m_name);
}

SceneObject::~SceneObject()
{
    ReleaseName(m_name);
    // Every parameter in the list is owned, however it got there.
    for (IParameter* p : m_parameters.GetParameters()) delete p;
    m_parameters.Clear();
}

Wml::Frame3<float> SceneObject::GetFrame()
{
    return Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
}

void SceneObject::Translate(const Wml::Vector3<float>& v, bool relative)
{
    if (!IsFinite(v)) return;
    Wml::Vector3<float> delta = relative ? v : v - GetFrame().Origin();
    DoTranslate(v, relative);
    SceneObjectEvent event{SCENE_OBJECT_TRANSLATED, &delta};
    Notify(&event);
}

void SceneObject::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    if (!IsFinite(m)) return;
    DoRotate(m, relative);
    SceneObjectRotation rotation{m, relative};
    SceneObjectEvent event{SCENE_OBJECT_ROTATED, &rotation};
    Notify(&event);
}

void SceneObject::Scale(float sx, float sy, float sz, bool relative, bool uniform)
{
    Wml::Vector3<float> factors(sx, sy, sz);
    if (!IsFinite(factors)) return;
    if (!relative) {
        Wml::Vector3<float> old = GetFrame().Scale();
        factors = Wml::Vector3<float>(sx / old.X(), sy / old.Y(), sz / old.Z());
    }
    DoScale(sx, sy, sz, relative, uniform);
    if (IsFinite(factors)) {
        SceneObjectEvent event{SCENE_OBJECT_SCALED, &factors};
        Notify(&event);
    } else {
        // From a zero scale no factor leads to the new one: listeners drop
        // their copies instead of multiplying by infinity.
        Notify(nullptr);
    }
}

bool SceneObject::SupportsTool(const std::string&)
{
    return false;
}

bool SceneObject::IsPivot()
{
    return false;
}

void SceneObject::RotateAbout(const Wml::Matrix3<float>& m, const Wml::Vector3<float>& centre)
{
    if (!IsFinite(m) || !IsFinite(centre)) return;
    Wml::Vector3<float> d = GetFrame().Origin() - centre;
    Translate(-d, true);
    Rotate(m, true);
    Translate(m * d, true);
}

const char* SceneObject::GetTypeName()
{
    return "SceneObject";
}

void SceneObject::InitializeParameters()
{
    AddParameter(new SceneObjectParameter_Name(this));
}

SceneObject* SceneObject::Pick(const Wml::Ray3<float>& ray, float& t)
{
    if (m_unselected) return nullptr;
    for (SceneObject* handle : m_handles) {
        float ht = 0.0f;
        if (SceneObject* hit = handle->Pick(ray, ht)) {
            t = ht;
            return hit;
        }
    }
    return nullptr;
}

void SceneObject::Render(bool)
{
    if (m_unselected) return;
    for (SceneObject* handle : m_handles) handle->Render(false);
}

void SceneObject::SetUnselected(bool unselected)
{
    m_unselected = unselected ? 1 : 0;
}

void SceneObject::InsertChild(SceneObject* child, int index)
{
    if (!child || child == this) return;
    if (index < 0 || static_cast<size_t>(index) > m_children.size())
        m_children.push_back(child);
    else
        m_children.insert(m_children.begin() + index, child);
    child->SetParent(this);
}

void SceneObject::RemoveChild(SceneObject* child)
{
    EraseFirst(m_children, child);
}

void SceneObject::ClearChildren()
{
    m_children.clear();
}

void SceneObject::SetParent(SceneObject* parent)
{
    m_parent = parent;
}

SceneObject* SceneObject::GetParent()
{
    return m_parent;
}

void SceneObject::AddHandle(SceneObject* handle)
{
    if (!handle) return;
    m_handles.push_back(handle);
    handle->SetParent(this);
}

void SceneObject::RemoveHandle(SceneObject* handle)
{
    EraseFirst(m_handles, handle);
}

void SceneObject::ClearHandles()
{
    m_handles.clear();
}

bool SceneObject::Store(Wml::Serializer*, Wml::SerializerRecord* record)
{
    if (!record) return false;
    boost::recursive_mutex::scoped_lock lock(m_lock);
    record->SetValue("ObjectID", m_objectID);
    record->SetValue("TypeName", std::string(GetTypeName()));
    m_parameters.Store(record);
    return true;
}

bool SceneObject::Restore(Wml::Serializer*, Wml::SerializerRecord* record)
{
    if (!record) return false;
    boost::recursive_mutex::scoped_lock lock(m_lock);
    m_parameters.Restore(record);
    return true;
}

void SceneObject::DoTranslate(const Wml::Vector3<float>&, bool) {}

void SceneObject::DoRotate(const Wml::Matrix3<float>&, bool) {}

void SceneObject::DoScale(float, float, float, bool, bool) {}

void SceneObject::AddParameter(IParameter* parameter)
{
    if (!parameter) return;
    m_parameters.Add(parameter);
    parameter->Refresh();
}

bool SceneObject::SetName(const std::string& name)
{
    if (name.empty() || !ClaimName(name)) return false;
    ReleaseName(m_name);
    HoldName(name);
    m_name = name;
    Notify(nullptr);
    return true;
}

bool SceneObject::TakeStoredName(const std::string& name)
{
    if (name == m_name) return true;
    if (name.empty() || IsNameHeld(name)) return false;
    ClaimName(name);
    ReleaseName(m_name);
    HoldName(name);
    m_name = name;
    Notify(nullptr);
    return true;
}

void SceneObject::AddListener(SceneObjectListener* listener)
{
    if (listener) m_listeners.insert(listener);
}

void SceneObject::RemoveListener(SceneObjectListener* listener)
{
    m_listeners.erase(listener);
}

void SceneObject::Notify(const SceneObjectEvent* event)
{
    // A listener may remove itself or others while being told.
    const std::vector<SceneObjectListener*> snapshot(m_listeners.begin(), m_listeners.end());
    for (SceneObjectListener* listener : snapshot)
        if (m_listeners.count(listener)) listener->OnSceneObjectChanged(this, event);
}

}  // namespace vynui
