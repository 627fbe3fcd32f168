#pragma once
// Keyframe animation over integer frame numbers. Every float parameter of
// every scene object that bulk samplers may read (not excluded), and every
// scene object's orientation, has a track of keys; evaluating a frame writes
// the interpolated values back: parameters linearly, orientations by
// spherical interpolation. Positions are never animated, so an object stays
// where the user put it.
//
// Tracks follow the scene lazily: at the start of every operation the
// tracks of objects and parameters that are gone are dropped, and every new
// one gets a single key at frame 0 holding its current state. Tracks are
// keyed by the object's ID (never reused in a run) and not by address, so a
// new object that happens to reuse a deleted one's memory starts afresh.
//
// The manager works over the scene of one view: the scene manager given to
// it, or the current view's when none is given. Prompts go through the
// UserInterface; without one the commands that ask for a number do nothing.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "scene/CommandTarget.h"
#include "wml/Frame3.h"

namespace vynui {

class CSceneManager;
class IParameter;
class SceneObject;
class SceneObjectManager;
class UserInterface;

class CAnimationManager : public CommandTarget {
public:
    /// The largest frame the dialogs accept.
    static constexpr unsigned MAX_FRAME = 65536;

    using ParameterKeys = std::map<unsigned, float>;
    using ObjectKeys = std::map<unsigned, Wml::Frame3<float>>;

    /// scene: not owned; null means the current view's scene manager.
    explicit CAnimationManager(CSceneManager* scene = nullptr);

    void SetSceneManager(CSceneManager* scene) { m_scene = scene; }
    /// Not owned; may be null.
    void SetUserInterface(UserInterface* ui) { m_ui = ui; }
    UserInterface* GetUserInterface() const { return m_ui; }

    // ---- the operations behind the commands (each synchronises first)

    /// Evaluates every track at frame and makes it the current frame, then
    /// asks the scene manager to redraw. A parameter is set only when its
    /// value differs; an object is turned only when its orientation does.
    void SetCurrentFrame(unsigned frame);
    /// Keys every track at the current frame with the present state.
    void SetKeyframe();
    /// Erases the keys at the current frame, unless it is frame 0 (keys at
    /// frame 0 are never erased); the frame is no longer keyed either way.
    void ClearKeyframe();
    /// Drops every key; each track restarts with one key at frame 0 holding
    /// the present state.
    void ResetAnimation();
    /// Drops the tracks of objects and parameters no longer in the scene and
    /// makes tracks for new ones, with one key at frame 0.
    void SynchronizeTracks();

    unsigned GetCurrentFrame() const { return m_currentFrame; }
    /// The last frame of the animation; 1 at the start.
    unsigned GetLength() const { return m_length; }
    /// At least 1 (there is always a frame after frame 0).
    void SetLength(unsigned length);
    const std::set<unsigned>& GetKeyedFrames() const { return m_keyedFrames; }
    /// The smallest length "Set Length" accepts: the largest keyed frame + 1,
    /// 1 when nothing is keyed, never above MAX_FRAME.
    unsigned GetMinimumLength() const;

    /// The keys of parameter (of object), or null when it has no track.
    const ParameterKeys* GetParameterKeys(SceneObject* object, IParameter* parameter) const;
    /// The orientation keys of object, or null when it has no track.
    const ObjectKeys* GetObjectKeys(SceneObject* object) const;
    std::size_t GetParameterTrackCount() const { return m_parameterTracks.size(); }
    std::size_t GetObjectTrackCount() const { return m_objectTracks.size(); }

    // ---- CommandTarget: "Set Length", "Set Current Frame", "Set Keyframe",
    // "Clear Keyframe", "Reset Animation"
    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;
    static const std::vector<std::string>& CommandNames();

private:
    struct ParameterKey {
        unsigned objectID;
        const IParameter* parameter;
        bool operator<(const ParameterKey& o) const
        {
            return objectID != o.objectID ? objectID < o.objectID : parameter < o.parameter;
        }
    };
    struct ParameterTrack {
        /// The parameter's name when the track was made: a different
        /// parameter at the same address of the same object starts afresh.
        std::string name;
        ParameterKeys keys;
    };
    /// One animatable parameter of the scene as it is now.
    struct LiveParameter {
        ParameterKey key;
        IParameter* parameter;
    };

    CSceneManager* Scene() const;
    SceneObjectManager* Objects() const;
    /// The scene's objects and their animatable parameters, in registration
    /// and list order; tracks made and dropped to match.
    void Synchronize(std::vector<SceneObject*>& objects, std::vector<LiveParameter>& parameters);
    void Evaluate(unsigned frame, const std::vector<SceneObject*>& objects,
                  const std::vector<LiveParameter>& parameters);
    bool AskCurrentFrame();
    bool AskLength();

    CSceneManager* m_scene;
    UserInterface* m_ui = nullptr;
    std::map<ParameterKey, ParameterTrack> m_parameterTracks;
    /// By object ID.
    std::map<unsigned, ObjectKeys> m_objectTracks;
    std::set<unsigned> m_keyedFrames;
    unsigned m_length = 1;
    unsigned m_currentFrame = 0;
};

}  // namespace vynui
