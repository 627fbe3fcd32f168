#pragma once
// The links of a scene: which object follows which frame.
//
// A linked object follows its link target's moves: when the target is
// translated the linked object is translated by the same delta; when it is
// turned the linked object is turned by the same rotation about the target's
// origin. Scaling the target does not touch the linked object. Moves pass
// along chains (A follows B follows C: moving C moves B, which moves A);
// links that would close a loop are refused.
//
// Applying a link (the user crosses its arrow) snaps the linked object's
// origin onto the origin of the link's frame, without turning it, and keeps
// the link, so the object goes on following. Objects that follow the linked
// object come along.
//
// The set listens to every link target; it never owns an object. Scene
// objects are not told they are linked, so the scene must call
// Forget(object) before it deletes an object that may be in a link.

#include <map>
#include <vector>

#include "interact/ConstraintLink.h"
#include "wml/Vector2.h"

namespace Wml {
class ExtendedWmlCamera;
}  // namespace Wml

namespace vynui {

class ConstraintLinkSet : public SceneObjectListener {
public:
    ConstraintLinkSet() = default;
    /// Stops listening to the targets still linked.
    ~ConstraintLinkSet() override;
    ConstraintLinkSet(const ConstraintLinkSet&) = delete;
    ConstraintLinkSet& operator=(const ConstraintLinkSet&) = delete;

    /// linked follows target from now on, in place of any earlier link of
    /// linked. Refused (false, nothing changes) when either is null, they
    /// are the same object, or target already follows linked, directly or
    /// through other links.
    bool Link(SceneObject* linked, SceneObject* target);
    /// linked is tied to a fixed frame (a place on a surface), in place of
    /// any earlier link. Refused for a null object or an unusable frame.
    bool LinkToFrame(SceneObject* linked, const Wml::Frame3<float>& frame);
    /// Drops the link of linked; false when it had none.
    bool Unlink(SceneObject* linked);
    void Clear();
    /// Drops every link from or to object. Call before deleting an object
    /// that may be linked.
    void Forget(SceneObject* object);

    /// The link of linked, or null. The pointer is valid until the set
    /// changes.
    const ConstraintLink* Find(SceneObject* linked) const;
    /// In the order they were made (a re-link goes to the end).
    const std::vector<ConstraintLink>& GetLinks() const { return m_links; }
    bool IsEmpty() const { return m_links.empty(); }
    /// The objects linked directly to target, in link order.
    std::vector<SceneObject*> FollowersOf(SceneObject* target) const;
    /// Whether a follows b through one or more links.
    bool Follows(SceneObject* a, SceneObject* b) const;

    /// Snaps the linked object's origin onto the link frame's origin (see
    /// above). False when linked has no link or the frame is not finite.
    bool Apply(SceneObject* linked);

    /// The first link (index into GetLinks()) whose screen segment the
    /// screen segment p0 -> p1 crosses at a steep angle
    /// (SegmentsCrossSteeply), or -1. Window coordinates, y from the bottom.
    int FindCrossedLink(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1,
                        const Wml::ExtendedWmlCamera& camera) const;

    /// Follows the targets' moves (event kinds 0 and 1).
    void OnSceneObjectChanged(SceneObject* object, const SceneObjectEvent* event) override;

private:
    void Listen(SceneObject* target);
    // Stops listening to target when no link leads to it any more.
    void Release(SceneObject* target);
    void Erase(size_t index);
    int IndexOf(SceneObject* linked) const;

    std::vector<ConstraintLink> m_links;
    // Each target's frame as last seen, to turn an absolute rotation into
    // the relative one its followers need.
    std::map<SceneObject*, Wml::Frame3<float>> m_targetFrames;
    // Objects being moved by this set right now; a second move of one of
    // them within the same notification is dropped.
    std::vector<SceneObject*> m_moving;
};

}  // namespace vynui
