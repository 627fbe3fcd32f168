#include "animation/AnimationPlayer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "animation/AnimationManager.h"
#include "animation/FrameImage.h"
#include "interact/ResourceRoot.h"
#include "scene/UserInterface.h"

namespace vynui {

namespace {

const char* const SAVE_TITLE = "Save Frames";

}  // namespace

CAnimationPlayer::CAnimationPlayer(CAnimationManager* manager) : m_manager(manager) {}

std::string CAnimationPlayer::FrameFileName(unsigned frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame%.4d.png", static_cast<int>(frame));
    return name;
}

void CAnimationPlayer::Start(bool oneFrame)
{
    if (!m_manager) return;
    unsigned frame = m_manager->GetCurrentFrame();
    if (frame >= m_manager->GetLength()) frame = 0;
    // The first drawn frame shows what the keys say, not edits made since.
    m_manager->SetCurrentFrame(frame);
    m_playing = true;
    m_oneFrame = oneFrame;
}

void CAnimationPlayer::Play()
{
    Start(false);
}

void CAnimationPlayer::PlayOneFrame()
{
    Start(true);
}

void CAnimationPlayer::Stop()
{
    m_playing = false;
    m_oneFrame = false;
}

void CAnimationPlayer::Rewind()
{
    Stop();
    if (m_manager) m_manager->SetCurrentFrame(0);
}

void CAnimationPlayer::Report(const std::string& text)
{
    if (m_ui) m_ui->ShowMessage(text, SAVE_TITLE);
}

bool CAnimationPlayer::SaveFrame(unsigned frame, const FrameImage* pixels)
{
    const std::string folder = GetAnimationFolder();
    const std::string path = folder + FrameFileName(frame);
    if (!pixels) {
        Report("Frame " + std::to_string(frame) + " could not be read from the view; playback stopped.");
        return false;
    }
    std::error_code error;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, error);
        if (error || !std::filesystem::is_directory(folder, error)) {
            Report("Cannot create the folder \"" + folder + "\" for the animation frames" +
                   (error ? ": " + error.message() : "") + "; playback stopped.");
            return false;
        }
    }
    std::string reason;
    if (!pixels->WritePng(path, &reason)) {
        Report("Cannot write the animation frame \"" + path + "\": " + reason + "; playback stopped.");
        return false;
    }
    return true;
}

bool CAnimationPlayer::StepFrame(const FrameImage* pixels)
{
    if (!m_playing || !m_manager) return false;
    const unsigned frame = m_manager->GetCurrentFrame();
    if (m_saveFrames && !SaveFrame(frame, pixels)) {
        Stop();
        return false;
    }
    const unsigned length = m_manager->GetLength();
    // A length cut below the current frame during playback ends it here.
    const unsigned next = frame < length ? frame + 1 : frame;
    m_manager->SetCurrentFrame(next);
    if (m_ui) {
        char text[64];
        std::snprintf(text, sizeof text, "Frame %d of %d", static_cast<int>(next), static_cast<int>(length));
        m_ui->SetStatusText(text);
    }
    if (next >= length || m_oneFrame) Stop();
    return true;
}

const std::vector<std::string>& CAnimationPlayer::CommandNames()
{
    static const std::vector<std::string> names = {"Play", "Stop", "Rewind", "Play One Frame", "Save Frames"};
    return names;
}

bool CAnimationPlayer::OnCommand(const std::string& menuText)
{
    if (menuText == "Play")
        Play();
    else if (menuText == "Stop")
        Stop();
    else if (menuText == "Rewind")
        Rewind();
    else if (menuText == "Play One Frame")
        PlayOneFrame();
    else if (menuText == "Save Frames")
        m_saveFrames = !m_saveFrames;
    else
        return false;
    return true;
}

bool CAnimationPlayer::OnUpdateCommand(const std::string& menuText, CommandState& state)
{
    const auto& names = CommandNames();
    if (std::find(names.begin(), names.end(), menuText) == names.end()) return false;
    state.enabled = menuText != "Stop" || m_playing;
    state.checked = menuText == "Save Frames" && m_saveFrames;
    return true;
}

}  // namespace vynui
