#include "interact/ConstraintLinkSet.h"

#include <algorithm>
#include <cmath>

#include "interact/ConstraintScreenGeometry.h"
#include "wml/ExtendedWmlCamera.h"

namespace vynui {

namespace {

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

// Marks an object as being moved for the lifetime of the guard.
class MovingGuard {
public:
    MovingGuard(std::vector<SceneObject*>& moving, SceneObject* object) : m_moving(moving)
    {
        m_moving.push_back(object);
    }
    ~MovingGuard() { m_moving.pop_back(); }
    MovingGuard(const MovingGuard&) = delete;
    MovingGuard& operator=(const MovingGuard&) = delete;

private:
    std::vector<SceneObject*>& m_moving;
};

}  // namespace

ConstraintLinkSet::~ConstraintLinkSet()
{
    for (auto& entry : m_targetFrames) entry.first->RemoveListener(this);
}

int ConstraintLinkSet::IndexOf(SceneObject* linked) const
{
    for (size_t i = 0; i < m_links.size(); ++i)
        if (m_links[i].linked == linked) return static_cast<int>(i);
    return -1;
}

bool ConstraintLinkSet::Follows(SceneObject* a, SceneObject* b) const
{
    // Each object has at most one link, so following is a walk along a
    // chain; the step count bounds it even if a loop slipped in somehow.
    SceneObject* current = a;
    for (size_t steps = 0; steps <= m_links.size(); ++steps) {
        const ConstraintLink* link = Find(current);
        if (!link || !link->target) return false;
        if (link->target == b) return true;
        current = link->target;
    }
    return false;
}

void ConstraintLinkSet::Listen(SceneObject* target)
{
    target->AddListener(this);
    m_targetFrames[target] = target->GetFrame();
}

void ConstraintLinkSet::Release(SceneObject* target)
{
    if (!target) return;
    for (const ConstraintLink& link : m_links)
        if (link.target == target) return;
    target->RemoveListener(this);
    m_targetFrames.erase(target);
}

void ConstraintLinkSet::Erase(size_t index)
{
    SceneObject* target = m_links[index].target;
    m_links.erase(m_links.begin() + static_cast<std::ptrdiff_t>(index));
    Release(target);
}

bool ConstraintLinkSet::Link(SceneObject* linked, SceneObject* target)
{
    if (!linked || !target || linked == target || Follows(target, linked)) return false;
    Unlink(linked);
    ConstraintLink link;
    link.linked = linked;
    link.target = target;
    link.fixedFrame = target->GetFrame();
    m_links.push_back(link);
    Listen(target);
    return true;
}

bool ConstraintLinkSet::LinkToFrame(SceneObject* linked, const Wml::Frame3<float>& frame)
{
    if (!linked || !frame.IsValid()) return false;
    Unlink(linked);
    ConstraintLink link;
    link.linked = linked;
    link.fixedFrame = frame;
    m_links.push_back(link);
    return true;
}

bool ConstraintLinkSet::Unlink(SceneObject* linked)
{
    const int index = IndexOf(linked);
    if (index < 0) return false;
    Erase(static_cast<size_t>(index));
    return true;
}

void ConstraintLinkSet::Clear()
{
    for (auto& entry : m_targetFrames) entry.first->RemoveListener(this);
    m_targetFrames.clear();
    m_links.clear();
}

void ConstraintLinkSet::Forget(SceneObject* object)
{
    if (!object) return;
    for (size_t i = m_links.size(); i-- > 0;)
        if (m_links[i].linked == object || m_links[i].target == object) Erase(i);
}

const ConstraintLink* ConstraintLinkSet::Find(SceneObject* linked) const
{
    const int index = IndexOf(linked);
    return index < 0 ? nullptr : &m_links[static_cast<size_t>(index)];
}

std::vector<SceneObject*> ConstraintLinkSet::FollowersOf(SceneObject* target) const
{
    std::vector<SceneObject*> followers;
    if (!target) return followers;
    for (const ConstraintLink& link : m_links)
        if (link.target == target) followers.push_back(link.linked);
    return followers;
}

bool ConstraintLinkSet::Apply(SceneObject* linked)
{
    const ConstraintLink* link = Find(linked);
    if (!link) return false;
    const Wml::Vector3<float> destination = link->GetFrame().Origin();
    if (!IsFinite(destination)) return false;
    linked->Translate(destination, false);
    return true;
}

int ConstraintLinkSet::FindCrossedLink(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1,
                                       const Wml::ExtendedWmlCamera& camera) const
{
    for (size_t i = 0; i < m_links.size(); ++i) {
        Wml::Vector2<float> from, to;
        if (LinkScreenSegment(m_links[i], camera, from, to) && SegmentsCrossSteeply(p0, p1, from, to))
            return static_cast<int>(i);
    }
    return -1;
}

void ConstraintLinkSet::OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event)
{
    auto seen = m_targetFrames.find(object);
    if (seen == m_targetFrames.end()) return;
    const Wml::Frame3<float> before = seen->second;
    const Wml::Frame3<float> now = object->GetFrame();
    seen->second = now;
    if (!event || !event->data ||
        (event->kind != SCENE_OBJECT_TRANSLATED && event->kind != SCENE_OBJECT_ROTATED))
        return;

    // The followers are collected first: moving one tells other listeners,
    // which may change the links.
    const std::vector<SceneObject*> followers = FollowersOf(object);
    MovingGuard guard(m_moving, object);
    for (SceneObject* follower : followers) {
        if (std::find(m_moving.begin(), m_moving.end(), follower) != m_moving.end()) continue;
        // Dropped from the set by an earlier follower's move.
        const ConstraintLink* link = Find(follower);
        if (!link || link->target != object) continue;
        if (event->kind == SCENE_OBJECT_TRANSLATED) {
            follower->Translate(*static_cast<const Wml::Vector3<float>*>(event->data), true);
        } else {
            const auto* rotation = static_cast<const SceneObjectRotation*>(event->data);
            Wml::Matrix3<float> m = rotation->m;
            // An absolute rotation says where the target now points, not by
            // how much it turned.
            if (!rotation->relative) before.ComputeAlignmentMatrix(now, m);
            follower->RotateAbout(m, now.Origin());
        }
    }
}

}  // namespace vynui
