#include "tests/support/ScriptedUserInterface.h"

namespace kftest {

void ScriptedUserInterface::ShowMessage(const std::string& text, const std::string& title)
{
    m_events.push_back({"message", text, title});
}

vynui::Answer ScriptedUserInterface::AskQuestion(const std::string& text, const std::string& title,
                                                 bool withCancel)
{
    m_events.push_back({"question", text, title});
    vynui::Answer answer = withCancel ? vynui::Answer::Cancel : vynui::Answer::No;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    if (answer == vynui::Answer::Cancel && !withCancel) answer = vynui::Answer::No;
    return answer;
}

vynui::SaveChoice ScriptedUserInterface::AskToSaveChanges(const std::string& text, const std::string& title)
{
    m_events.push_back({"save changes", text, title});
    if (m_saveChoices.empty()) return vynui::SaveChoice::Cancel;
    const vynui::SaveChoice choice = m_saveChoices.front();
    m_saveChoices.pop_front();
    return choice;
}

bool ScriptedUserInterface::TakePath(const char* kind, const vynui::FileDialogRequest& request,
                                     std::string& path)
{
    m_events.push_back({kind, request.filter, request.title});
    if (m_paths.empty()) return false;
    std::string chosen = m_paths.front();
    m_paths.pop_front();
    if (chosen.empty()) return false;
    // A real dialog appends the default extension to a bare name.
    const size_t slash = chosen.find_last_of('/');
    const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    if (!request.defaultExtension.empty() && name.find('.') == std::string::npos)
        chosen += "." + request.defaultExtension;
    path = chosen;
    return true;
}

bool ScriptedUserInterface::ChooseFileToOpen(const vynui::FileDialogRequest& request, std::string& path)
{
    return TakePath("open", request, path);
}

bool ScriptedUserInterface::ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path)
{
    return TakePath("save", request, path);
}

bool ScriptedUserInterface::AskValue(const vynui::ValueRequest& request, float& value)
{
    m_events.push_back({"value", request.label, request.Title()});
    while (!m_values.empty()) {
        float typed = m_values.front();
        m_values.pop_front();
        std::string refusal;
        if (request.Accepts(typed, refusal)) {
            value = typed;
            return true;
        }
        m_events.push_back({"refused", refusal, "Invalid Value"});
    }
    return false;
}

bool ScriptedUserInterface::ChooseColour(Wml::ColorRGBA& colour)
{
    m_events.push_back({"colour", "", ""});
    if (m_colours.empty()) return false;
    colour = m_colours.front();
    m_colours.pop_front();
    return true;
}

void ScriptedUserInterface::SetStatusText(const std::string& text)
{
    m_status = text;
    m_events.push_back({"status", text, ""});
}

void ScriptedUserInterface::SetWindowTitle(const std::string& title)
{
    m_title = title;
    m_events.push_back({"title", title, ""});
}

std::vector<ScriptedUserInterface::Event> ScriptedUserInterface::EventsOf(const std::string& kind) const
{
    std::vector<Event> found;
    for (const Event& e : m_events)
        if (e.kind == kind) found.push_back(e);
    return found;
}

std::vector<std::string> ScriptedUserInterface::Messages() const
{
    std::vector<std::string> texts;
    for (const Event& e : m_events)
        if (e.kind == "message") texts.push_back(e.text);
    return texts;
}

}  // namespace kftest
