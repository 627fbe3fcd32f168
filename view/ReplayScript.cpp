#include "view/ReplayScript.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "blobtree_ui/BlobTreeNodeSceneObject.h"
#include "blobtree_ui/RootNodeSceneObject.h"
#include "interact/GestureEngine.h"
#include "interact/HUDButton.h"
#include "interact/HUDManager.h"
#include "interact/HUDToolbar.h"
#include "interact/InputEventStream.h"
#include "scene/SceneManager.h"
#include "scene/SceneObjectManager.h"
#include "view/ViewCore.h"

namespace vynui {

// ---- prompts from the script

void ReplayUserInterface::Echo(const std::string& title, const std::string& text)
{
    if (m_echo) m_echo(title + ": " + text);
}

void ReplayUserInterface::ShowMessage(const std::string& text, const std::string& title)
{
    m_lastMessage = text;
    Echo(title, text);
}

Answer ReplayUserInterface::AskQuestion(const std::string& text, const std::string& title, bool withCancel)
{
    Echo(title, text);
    Answer answer = withCancel ? Answer::Cancel : Answer::No;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    if (answer == Answer::Cancel && !withCancel) answer = Answer::No;
    return answer;
}

bool ReplayUserInterface::ChooseFileToOpen(const FileDialogRequest&, std::string& path)
{
    if (m_paths.empty()) return false;
    path = m_paths.front();
    m_paths.pop_front();
    return !path.empty();
}

bool ReplayUserInterface::ChooseFileToSave(const FileDialogRequest& request, std::string& path)
{
    if (m_paths.empty()) return false;
    std::string chosen = m_paths.front();
    m_paths.pop_front();
    if (chosen.empty()) return false;
    const std::string name = std::filesystem::path(chosen).filename().string();
    if (!request.defaultExtension.empty() && name.find('.') == std::string::npos)
        chosen += "." + request.defaultExtension;
    path = chosen;
    return true;
}

bool ReplayUserInterface::AskValue(const ValueRequest& request, float& value)
{
    while (!m_values.empty()) {
        float typed = m_values.front();
        m_values.pop_front();
        std::string refusal;
        if (request.Accepts(typed, refusal)) {
            value = typed;
            return true;
        }
        Echo("Invalid Value", refusal);
    }
    return false;
}

bool ReplayUserInterface::ChooseColour(Wml::ColorRGBA& colour)
{
    if (m_colours.empty()) return false;
    colour = m_colours.front();
    m_colours.pop_front();
    return true;
}

// ---- reading

namespace {

const char* const kExpectForms =
    "expect shapes|selected N, expect file PATH, expect message TEXT, expect parameter NAME [= TEXT], "
    "expect item NAME, expect changed|unchanged NAME, expect modified yes|no";

bool ToNumber(const std::string& word, float& value)
{
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtof(word.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ToNumbers(const std::vector<std::string>& words, std::vector<float>& out)
{
    out.clear();
    for (const std::string& word : words) {
        float v = 0.0f;
        if (!ToNumber(word, v)) return false;
        out.push_back(v);
    }
    return true;
}

bool ToButton(const std::string& word, ViewInputAdapter::Button& button)
{
    if (word == "left")
        button = ViewInputAdapter::LEFT;
    else if (word == "middle")
        button = ViewInputAdapter::MIDDLE;
    else if (word == "right")
        button = ViewInputAdapter::RIGHT;
    else
        return false;
    return true;
}

bool ToSpecialKey(const std::string& word, int& key)
{
    if (word == "space")
        key = CViewCore::KEY_SPACE;
    else if (word == "escape")
        key = CViewCore::KEY_ESCAPE;
    else if (word == "alt")
        key = CViewCore::KEY_ALT;
    else
        return false;
    return true;
}

// Pixels fit in an int and stay near the window.
bool IsPixel(float v)
{
    return std::fabs(v) < 100000.0f;
}

std::size_t CountShapes(const SceneObject* object)
{
    std::size_t n = 0;
    for (const SceneObject* child : object->GetChildren())
        if (dynamic_cast<const vynui_bt::BlobTreeNodeSceneObject*>(child)) n += 1 + CountShapes(child);
    return n;
}

HUDButton* FindShownButton(CHUDManager& hud, const std::string& name)
{
    for (HUDToolbar* toolbar : hud.GetToolbars()) {
        if (!toolbar->IsVisible()) continue;
        for (HUDButton* button : toolbar->GetItems())
            if (button->IsVisible() && button->GetName() == name) return button;
    }
    return nullptr;
}

bool ReadParameter(const ReplayScript::Window& window, const std::string& name, std::string& value,
                   std::string& reason)
{
    if (!window.parameter) {
        reason = "no parameter panel to read";
        return false;
    }
    if (!window.parameter(name, value)) {
        reason = "the parameter panel has no row \"" + name + "\"";
        return false;
    }
    return true;
}

}  // namespace

bool ReplayScript::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), error);
}

bool ReplayScript::Parse(const std::string& text, std::string& error)
{
    m_actions.clear();
    m_remembered.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        ReplayAction action;
        action.line = number;
        std::istringstream words(line.substr(first));
        words >> action.verb;
        std::string word;
        while (words >> word) action.words.push_back(word);
        const std::size_t rest = line.find_first_not_of(" \t", first + action.verb.size());
        if (rest != std::string::npos) action.rest = line.substr(rest);
        while (!action.rest.empty() && (action.rest.back() == ' ' || action.rest.back() == '\t'))
            action.rest.pop_back();
        m_actions.push_back(std::move(action));
    }
    error.clear();
    return true;
}

// ---- running

void ReplayScript::Stroke(CViewCore& view, const std::vector<float>& points)
{
    // Filled in every few pixels as a mouse reports them, 10 ms apart.
    auto at = [&](std::size_t i) { return Wml::Vector2<float>(points[2 * i], points[2 * i + 1]); };
    const std::size_t count = points.size() / 2;
    Wml::Vector2<float> last = at(0);
    view.MousePress(ViewInputAdapter::LEFT, int(std::lround(last.X())), int(std::lround(last.Y())), false);
    for (std::size_t i = 1; i < count; ++i) {
        const Wml::Vector2<float> next = at(i);
        const int steps = std::max(1, int(std::ceil((next - last).Length() / 4.0f)));
        for (int s = 1; s <= steps; ++s) {
            const Wml::Vector2<float> p = last + (next - last) * (float(s) / float(steps));
            Advance(0.01);
            view.MouseMove(int(std::lround(p.X())), int(std::lround(p.Y())));
        }
        last = next;
    }
    Advance(0.01);
    view.MouseRelease(ViewInputAdapter::LEFT, int(std::lround(last.X())), int(std::lround(last.Y())));
    Advance(0.5);
}

bool ReplayScript::Run(CViewCore& view, ReplayUserInterface& ui, const Window& window, std::string& error)
{
    GestureEngine& gestures = view.GetGestureEngine();
    CInputEventStream& stream = view.GetInputStream();
    gestures.SetTimeSource([this] { return m_now; });
    stream.SetCounterSource([this] { return static_cast<std::int64_t>(m_now * 1e9); });
    bool ok = true;
    bool started = false;
    for (const ReplayAction& action : m_actions) {
        if (!started && action.verb != "answer") {
            started = true;
            if (window.start) window.start();
        }
        std::string reason;
        if (!Do(action, view, ui, window, reason)) {
            error = "line " + std::to_string(action.line) + ": " + reason;
            ok = false;
            break;
        }
    }
    if (!started && ok && window.start) window.start();
    gestures.SetTimeSource(nullptr);
    stream.SetCounterSource(nullptr);
    return ok;
}

bool ReplayScript::Do(const ReplayAction& a, CViewCore& view, ReplayUserInterface& ui, const Window& window,
                      std::string& reason)
{
    const std::string& verb = a.verb;
    std::vector<float> n;
    auto numbers = [&](std::size_t from, std::size_t count) {
        if (a.words.size() < from + count) return false;
        return ToNumbers(
            std::vector<std::string>(a.words.begin() + long(from), a.words.begin() + long(from + count)), n);
    };
    auto wrong = [&](const char* usage) {
        reason = std::string("expected \"") + usage + "\"";
        return false;
    };

    if (verb == "size" || verb == "resize") {
        if (a.words.size() != 2 || !numbers(0, 2) || n[0] < 1 || n[1] < 1 || n[0] > 8192 || n[1] > 8192)
            return wrong("size W H (1 to 8192)");
        if (window.resize)
            window.resize(int(n[0]), int(n[1]));
        else
            view.Resize(int(n[0]), int(n[1]));
        return true;
    }
    if (verb == "press" || verb == "release") {
        ViewInputAdapter::Button button;
        const bool alt = a.words.size() == 4 && a.words[3] == "alt" && verb == "press";
        if ((a.words.size() != 3 && !alt) || !ToButton(a.words[0], button) || !numbers(1, 2) ||
            !IsPixel(n[0]) || !IsPixel(n[1]))
            return wrong("press|release left|middle|right X Y [alt]");
        Advance(0.01);
        if (verb == "press")
            view.MousePress(button, int(n[0]), int(n[1]), alt);
        else
            view.MouseRelease(button, int(n[0]), int(n[1]));
        return true;
    }
    if (verb == "move") {
        if (a.words.size() != 2 || !numbers(0, 2) || !IsPixel(n[0]) || !IsPixel(n[1]))
            return wrong("move X Y");
        Advance(0.01);
        view.MouseMove(int(n[0]), int(n[1]));
        return true;
    }
    if (verb == "drag") {
        if (a.words.size() < 4 || a.words.size() % 2 != 0 || !ToNumbers(a.words, n))
            return wrong("drag X1 Y1 X2 Y2 [X Y ...]");
        for (float v : n)
            if (!IsPixel(v)) return wrong("drag X1 Y1 X2 Y2 [X Y ...]");
        Stroke(view, n);
        return true;
    }
    if (verb == "ellipse") {
        if (a.words.size() != 4 || !numbers(0, 4) || !IsPixel(n[0]) || !IsPixel(n[1]) || n[2] <= 0 ||
            n[3] <= 0 || !IsPixel(n[2]) || !IsPixel(n[3]))
            return wrong("ellipse CX CY RX RY");
        std::vector<float> points;
        const int samples = 72;
        for (int i = 0; i <= samples; ++i) {
            // Once round and a little past the start, as a hand closes a loop.
            const float t = 2.0f * 3.14159265f * 1.04f * float(i) / float(samples);
            points.push_back(n[0] + n[2] * std::cos(t));
            points.push_back(n[1] + n[3] * std::sin(t));
        }
        Stroke(view, points);
        return true;
    }
    if (verb == "tap") {
        if (a.words.size() != 2 || !numbers(0, 2) || !IsPixel(n[0]) || !IsPixel(n[1]))
            return wrong("tap X Y");
        Advance(0.01);
        view.MousePress(ViewInputAdapter::LEFT, int(n[0]), int(n[1]), false);
        Advance(0.05);
        view.MouseRelease(ViewInputAdapter::LEFT, int(n[0]), int(n[1]));
        Advance(0.5);
        return true;
    }
    if (verb == "key") {
        if (a.words.size() != 1 || a.words[0].size() != 1) return wrong("key C (one character)");
        view.Character(static_cast<unsigned char>(a.words[0][0]));
        return true;
    }
    if (verb == "keydown" || verb == "keyup") {
        int key = 0;
        if (a.words.size() != 1 || !ToSpecialKey(a.words[0], key))
            return wrong("keydown|keyup space|escape|alt");
        if (verb == "keydown")
            view.SpecialKeyDown(key, false);
        else
            view.SpecialKeyUp(key, false);
        return true;
    }
    if (verb == "command") {
        if (a.rest.empty()) return wrong("command MENU TEXT");
        if (!view.RouteCommand(a.rest)) {
            reason = "no enabled handler for \"" + a.rest + "\"";
            return false;
        }
        return true;
    }
    if (verb == "hud") {
        if (a.rest.empty()) return wrong("hud BUTTON NAME");
        HUDButton* button = FindShownButton(view.GetHUDManager(), a.rest);
        if (!button) {
            reason = "no HUD button \"" + a.rest + "\" is shown";
            return false;
        }
        // A short stroke across the button, as a person chooses it.
        const Wml::Vector2<float> centre = view.GetHUDManager().HUDToPixel(button->GetBox().Center());
        const float x = centre.X(), y = float(view.GetHeight() - 1) - centre.Y();
        Stroke(view, {x, y - 30.0f, x, y + 30.0f});
        return true;
    }
    if (verb == "answer") {
        if (a.words.size() != 1) return wrong("answer yes|no|cancel|save|discard");
        if (a.words[0] == "yes" || a.words[0] == "save")
            ui.QueueAnswer(Answer::Yes);
        else if (a.words[0] == "no" || a.words[0] == "discard")
            ui.QueueAnswer(Answer::No);
        else if (a.words[0] == "cancel")
            ui.QueueAnswer(Answer::Cancel);
        else
            return wrong("answer yes|no|cancel|save|discard");
        return true;
    }
    if (verb == "file") {
        if (a.rest.empty()) return wrong("file PATH");
        ui.QueuePath(a.rest);
        return true;
    }
    if (verb == "value") {
        if (a.words.size() != 1 || !numbers(0, 1)) return wrong("value NUMBER");
        ui.QueueValue(n[0]);
        return true;
    }
    if (verb == "colour" || verb == "color") {
        if (a.words.size() != 3 || !numbers(0, 3)) return wrong("colour R G B");
        for (float v : n)
            if (v < 0.0f || v > 1.0f) return wrong("colour R G B (each 0 to 1)");
        ui.QueueColour(Wml::ColorRGBA(n[0], n[1], n[2], 1.0f));
        return true;
    }
    if (verb == "wait") {
        if (a.words.size() != 1 || !numbers(0, 1) || n[0] < 0.0f || n[0] > 600.0f)
            return wrong("wait SECONDS (0 to 600)");
        // The view's timers run as they would in that time.
        for (double t = 0.0; t < n[0]; t += 0.025) {
            Advance(0.025);
            view.OnTimer();
            while (view.IsCameraMoving() && view.OnCameraTimer()) {
            }
        }
        if (window.wait) window.wait(n[0]);
        return true;
    }
    if (verb == "screenshot") {
        if (a.rest.empty()) return wrong("screenshot PATH");
        if (!window.screenshot) {
            reason = "screenshots need a window";
            return false;
        }
        return window.screenshot(a.rest, reason);
    }
    if (verb == "capture") {
        if (a.words.empty()) return wrong("capture PATH [TITLE]");
        if (!window.capture) {
            reason = "captures need a window";
            return false;
        }
        const std::string& path = a.words[0];
        // The title is the rest of the line, blanks inside kept.
        std::string title = a.rest.substr(path.size());
        title.erase(0, title.find_first_not_of(" \t"));
        return window.capture(title, path, reason);
    }
    if (verb == "expect") {
        if (a.words.size() < 2) return wrong(kExpectForms);
        const std::string& what = a.words[0];
        const std::string value = a.rest.substr(a.rest.find(what) + what.size() + 1);
        if (what == "shapes" || what == "selected") {
            if (!numbers(1, 1)) return wrong("expect shapes|selected N");
            CSceneManager* scene = view.GetSceneManager();
            const std::size_t have = what == "shapes" ? CountShapes(scene->GetRootSceneObject())
                                                      : scene->GetObjectManager()->GetSelection().Size();
            if (have != std::size_t(n[0])) {
                reason = "expected " + a.words[1] + " " + what + ", found " + std::to_string(have);
                return false;
            }
            return true;
        }
        if (what == "file") {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(value, ec) || std::filesystem::file_size(value, ec) == 0) {
                reason = "expected a file at " + value;
                return false;
            }
            return true;
        }
        if (what == "message") {
            if (ui.GetLastMessage() != value) {
                reason =
                    "expected the message \"" + value + "\", the last was \"" + ui.GetLastMessage() + "\"";
                return false;
            }
            return true;
        }
        if (what == "parameter") {
            if (!window.parameter) {
                reason = "no parameter panel to read";
                return false;
            }
            const std::size_t equals = value.find(" = ");
            const std::string name = value.substr(0, equals);
            std::string shown;
            if (!window.parameter(name, shown)) {
                reason = "the parameter panel has no row \"" + name + "\"";
                return false;
            }
            if (equals != std::string::npos && shown != value.substr(equals + 3)) {
                reason = "the parameter panel shows \"" + shown + "\" for \"" + name + "\"";
                return false;
            }
            return true;
        }
        if (what == "changed" || what == "unchanged") {
            const auto noted = m_remembered.find(value);
            if (noted == m_remembered.end()) {
                reason = "\"" + value + "\" was not remembered";
                return false;
            }
            std::string shown;
            if (!ReadParameter(window, value, shown, reason)) return false;
            if ((shown != noted->second) != (what == "changed")) {
                reason = "\"" + value + "\" shows \"" + shown + "\"" +
                         (what == "changed" ? ", as remembered" : ", remembered \"" + noted->second + "\"");
                return false;
            }
            return true;
        }
        if (what == "modified") {
            if (a.words.size() != 2 || (a.words[1] != "yes" && a.words[1] != "no"))
                return wrong("expect modified yes|no");
            if (ui.IsWindowModified() != (a.words[1] == "yes")) {
                reason = std::string("expected the scene ") + (a.words[1] == "yes" ? "" : "not ") +
                         "to have unsaved changes";
                return false;
            }
            return true;
        }
        if (what == "item") {
            if (!window.treeItem) {
                reason = "no tree panel to read";
                return false;
            }
            if (!window.treeItem(value)) {
                reason = "the tree panel shows no item \"" + value + "\"";
                return false;
            }
            return true;
        }
        return wrong(kExpectForms);
    }
    if (verb == "edit") {
        std::string name, text;
        const std::size_t equals = a.rest.find(" = ");
        if (equals != std::string::npos) {
            name = a.rest.substr(0, equals);
            text = a.rest.substr(equals + 3);
        } else if (a.words.size() >= 2) {
            name = a.words[0];
            text = a.rest.substr(a.rest.find_first_not_of(" \t", name.size()));
        }
        if (name.empty()) return wrong("edit NAME = TEXT");
        if (!window.editParameter) {
            reason = "no parameter panel to edit";
            return false;
        }
        return window.editParameter(name, text, reason);
    }
    if (verb == "remember") {
        if (a.rest.empty()) return wrong("remember NAME");
        std::string shown;
        if (!ReadParameter(window, a.rest, shown, reason)) return false;
        m_remembered[a.rest] = shown;
        return true;
    }
    reason = "unknown action \"" + verb + "\"";
    return false;
}

}  // namespace vynui
