#pragma once
// Base of everything the user can select, move, edit by value or save.
//
// Ownership: a scene object owns the parameters in its list (AddParameter
// puts them there) and deletes them with itself. Children and handles are only linked: the
// owner of the tree deletes them. Listeners are not owned and are not told
// when the object is destroyed.
//
// Identity: every object takes the next number of one process-wide counter
// (starting at 1, never reused) and a name unique over the whole run.

#include <set>
#include <string>
#include <vector>

#include <boost/thread/recursive_mutex.hpp>

#include "scene/ITool3DTarget.h"
#include "scene/ParameterList.h"
#include "wml/Frame3.h"
#include "wml/Matrix3.h"
#include "wml/Ray3.h"
#include "wml/Vector3.h"

namespace Wml {
class Serializer;
class SerializerRecord;
}  // namespace Wml

namespace vynui {

class SceneObject;

/// Kinds of SceneObjectEvent. Subclasses may use further codes; listeners
/// treat unknown kinds like a null event.
enum SceneObjectEventKind {
    SCENE_OBJECT_TRANSLATED = 0,
    SCENE_OBJECT_ROTATED = 1,
    SCENE_OBJECT_SCALED = 2,
};

/// Data of a SCENE_OBJECT_ROTATED event.
struct SceneObjectRotation {
    Wml::Matrix3<float> m;
    bool relative;
};

/// What changed. data points to: the translation delta (Vector3<float>) for
/// kind 0, a SceneObjectRotation for kind 1, the per-axis scale factors
/// (Vector3<float>) for kind 2. Valid only during the notification.
struct SceneObjectEvent {
    int kind;
    const void* data;
};

class SceneObjectListener {
public:
    virtual ~SceneObjectListener() = default;
    /// event is null when something about the object changed that no event
    /// kind describes (name, parameters, shape).
    virtual void OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event) = 0;
};

class SceneObject : public ITool3DTarget, public IParameterTarget {
public:
    SceneObject();
    /// Deletes the parameters; leaves children, handles and listeners alone.
    ~SceneObject() override;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // ---- frame operations (ITool3DTarget)

    /// Base: a frame at the origin with the world axes and unit scale.
    Wml::Frame3<float> GetFrame() override;
    /// DoTranslate, then a kind-0 event with the delta (v itself when
    /// relative, else v minus the origin before the move). A non-finite v is
    /// refused.
    void Translate(const Wml::Vector3<float>& v, bool relative) override;
    /// DoRotate, then a kind-1 event. A non-finite m is refused.
    void Rotate(const Wml::Matrix3<float>& m, bool relative) override;
    /// DoScale, then a kind-2 event with the factors: (sx, sy, sz) when
    /// relative, else the new values divided by the old scale vector. When an
    /// old scale component is zero no factor describes the change and the
    /// listeners get a null event instead. Non-finite input is refused.
    void Scale(float sx, float sy, float sz, bool relative, bool uniform) override;
    /// Base: false.
    bool SupportsTool(const std::string& toolName) override;
    /// Base: false.
    bool IsPivot() override;
    /// Turns the object by m about centre: the origin ends at
    /// centre + m (origin - centre), through Translate, Rotate, Translate.
    void RotateAbout(const Wml::Matrix3<float>& m, const Wml::Vector3<float>& centre) override;

    // ---- kind, parameters, picking, drawing

    /// Written as "TypeName" and used to re-create the object from a file.
    virtual const char* GetTypeName();
    /// Called once by the creator after construction. Base: appends the
    /// "Name" parameter.
    virtual void InitializeParameters();
    /// Base: null when unselected; otherwise the first handle hit, with its t.
    virtual SceneObject* Pick(const Wml::Ray3<float>& ray, float& t);
    /// Base: when selected, draws the handles (unselected).
    virtual void Render(bool selected);
    /// Only SceneObjectManager calls this, to keep the flag in step with its
    /// selection.
    virtual void SetUnselected(bool unselected);

    // ---- tree links

    /// index -1 (or any negative) or beyond the end appends; otherwise
    /// inserts at index. Then the child's parent becomes this object. A null
    /// child or the object itself is ignored.
    virtual void InsertChild(SceneObject* child, int index);
    /// Removes the first occurrence; the child's parent link is unchanged.
    virtual void RemoveChild(SceneObject* child);
    /// Empties the list; parent links are unchanged.
    virtual void ClearChildren();
    virtual void SetParent(SceneObject* parent);
    virtual SceneObject* GetParent();
    /// Appends and makes this object the handle's parent. Null is ignored.
    virtual void AddHandle(SceneObject* handle);
    /// Removes the first occurrence.
    virtual void RemoveHandle(SceneObject* handle);
    virtual void ClearHandles();

    // ---- records

    /// With the lock held: "ObjectID", "TypeName", then every parameter in
    /// list order. False only for a null record.
    virtual bool Store(Wml::Serializer* serializer, Wml::SerializerRecord* record);
    /// With the lock held: every parameter in list order; missing keys leave
    /// values as they are. False only for a null record.
    virtual bool Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record);

    // ---- hooks that really change the object; the base does nothing

    virtual void DoTranslate(const Wml::Vector3<float>& v, bool relative);
    virtual void DoRotate(const Wml::Matrix3<float>& m, bool relative);
    virtual void DoScale(float sx, float sy, float sz, bool relative, bool uniform);

    /// Appends to the parameter list; the object takes ownership. The
    /// parameter's cache is filled from the object at once.
    virtual void AddParameter(IParameter* parameter);

    // ---- IParameterTarget
    ParameterList* GetParameterList() override { return &m_parameters; }

    // ---- identity and listeners

    /// Takes the name when it is not yet registered anywhere in the run and
    /// tells the listeners (null event); otherwise changes nothing and
    /// answers false (also for the object's own current name). An empty
    /// name is refused.
    bool SetName(const std::string& name);
    /// The name an object was stored with, taken back on reading when no
    /// live object holds it (its earlier holder is gone); otherwise false
    /// and nothing changes. Tells the listeners like SetName.
    bool TakeStoredName(const std::string& name);
    const std::string& GetName() const { return m_name; }
    unsigned int GetObjectID() const { return m_objectID; }

    void AddListener(SceneObjectListener* listener);
    void RemoveListener(SceneObjectListener* listener);
    /// Calls every listener in set order. A listener removed during the
    /// notification is not called afterwards.
    void Notify(const SceneObjectEvent* event);
    const std::set<SceneObjectListener*>& GetListeners() const { return m_listeners; }

    const std::vector<SceneObject*>& GetChildren() const { return m_children; }
    const std::vector<SceneObject*>& GetHandles() const { return m_handles; }
    bool IsUnselected() const { return m_unselected != 0; }

    /// Held by Store, Restore and parameter accessors while they read or
    /// change the object; other threads take it to read the object.
    boost::recursive_mutex& GetLock() const { return m_lock; }

private:
    unsigned int m_objectID;
    std::string m_name;
    std::vector<SceneObject*> m_children;
    std::vector<SceneObject*> m_handles;
    SceneObject* m_parent = nullptr;
    int m_unselected = 1;
    ParameterList m_parameters;
    std::set<SceneObjectListener*> m_listeners;
    mutable boost::recursive_mutex m_lock;
};

}  // namespace vynui
