#pragma once
// Playback of the keyframe animation as the 3D view drives it: the menu
// commands "Play", "Stop", "Rewind", "Play One Frame" and "Save Frames", and
// one StepFrame() after every frame the view draws while playing. Each step
// optionally writes the drawn frame as "frame%.4d.png" (the frame's number)
// under the resource root's animations folder, then moves the animation
// manager on by one frame; playback stops at the animation's length, or
// after one frame in play-one-frame mode.
//
// A frame that cannot be written stops playback and is reported once
// through the UserInterface (without one, playback stops silently).

#include <string>
#include <vector>

#include "scene/CommandTarget.h"

namespace vynui {

class CAnimationManager;
struct FrameImage;
class UserInterface;

class CAnimationPlayer : public CommandTarget {
public:
    /// manager: not owned, outlives the player.
    explicit CAnimationPlayer(CAnimationManager* manager);

    /// Not owned; may be null.
    void SetUserInterface(UserInterface* ui) { m_ui = ui; }

    /// Plays from the current frame, which is evaluated first; from frame 0
    /// when the current frame is at (or past) the end.
    void Play();
    /// Plays a single frame: as Play, but stops after the next step.
    void PlayOneFrame();
    void Stop();
    /// Stops and goes to frame 0.
    void Rewind();
    void SetSaveFrames(bool on) { m_saveFrames = on; }

    bool IsPlaying() const { return m_playing; }
    bool IsSavingFrames() const { return m_saveFrames; }
    /// Whether the next StepFrame wants the drawn frame's pixels.
    bool WantsPixels() const { return m_playing && m_saveFrames; }

    /// Called once after each drawn frame. While playing: writes pixels as
    /// the current frame's file when frames are saved (missing pixels count
    /// as a failed write), sets the manager to the next frame, shows
    /// "Frame %d of %d" on the status line and stops at the length. True
    /// when the frame changed and the view should draw again; false when not
    /// playing or when the frame could not be saved (playback then stops).
    bool StepFrame(const FrameImage* pixels = nullptr);

    /// "frame%.4d.png" of frame.
    static std::string FrameFileName(unsigned frame);

    // ---- CommandTarget: "Play", "Stop", "Rewind", "Play One Frame",
    // "Save Frames" (checked while frames are saved); "Stop" is enabled only
    // while playing.
    bool OnCommand(const std::string& menuText) override;
    bool OnUpdateCommand(const std::string& menuText, CommandState& state) override;
    static const std::vector<std::string>& CommandNames();

private:
    void Start(bool oneFrame);
    bool SaveFrame(unsigned frame, const FrameImage* pixels);
    void Report(const std::string& text);

    CAnimationManager* m_manager;
    UserInterface* m_ui = nullptr;
    bool m_playing = false;
    bool m_oneFrame = false;
    bool m_saveFrames = false;
};

}  // namespace vynui
