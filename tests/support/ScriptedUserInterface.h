#pragma once
// The user interface of tests and replays: every prompt is recorded, and
// answered from the queue of answers of its kind. An empty queue answers as a
// person who cancels would (No for questions without Cancel).

#include <deque>
#include <string>
#include <vector>

#include "scene/UserInterface.h"

namespace kftest {

class ScriptedUserInterface : public vynui::UserInterface {
public:
    /// One recorded prompt: its kind ("message", "question", "save changes",
    /// "open", "save", "value", "colour", "refused", "status", "title") and
    /// texts.
    struct Event {
        std::string kind;
        std::string text;
        std::string title;
    };

    // Scripted answers, taken in order. An empty path cancels a file dialog.
    void AnswerQuestion(vynui::Answer answer) { m_answers.push_back(answer); }
    /// The unsaved-changes question takes these; when none is queued, the
    /// question answers Cancel.
    void AnswerSaveChanges(vynui::SaveChoice choice) { m_saveChoices.push_back(choice); }
    void AnswerFile(const std::string& path) { m_paths.push_back(path); }
    void CancelFile() { m_paths.push_back(std::string()); }
    /// Typed into the value dialog; a value the request refuses is recorded
    /// as "refused" with the dialog's message and the next answer is taken,
    /// as a person correcting the entry would.
    void AnswerValue(float value) { m_values.push_back(value); }
    void AnswerColour(const Wml::ColorRGBA& colour) { m_colours.push_back(colour); }

    void ShowMessage(const std::string& text, const std::string& title) override;
    vynui::Answer AskQuestion(const std::string& text, const std::string& title, bool withCancel) override;
    bool ChooseFileToOpen(const vynui::FileDialogRequest& request, std::string& path) override;
    bool ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path) override;
    bool AskValue(const vynui::ValueRequest& request, float& value) override;
    bool ChooseColour(Wml::ColorRGBA& colour) override;
    void SetStatusText(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void SetWindowModified(bool modified) override { m_modified = modified; }
    vynui::SaveChoice AskToSaveChanges(const std::string& text, const std::string& title) override;

    const std::vector<Event>& Events() const { return m_events; }
    /// The recorded prompts of one kind, in order.
    std::vector<Event> EventsOf(const std::string& kind) const;
    /// Texts of the message boxes shown, in order.
    std::vector<std::string> Messages() const;
    const std::string& StatusText() const { return m_status; }
    const std::string& WindowTitle() const { return m_title; }
    bool WindowModified() const { return m_modified; }
    /// True when every scripted answer was used.
    bool AllAnswersUsed() const
    {
        return m_answers.empty() && m_saveChoices.empty() && m_paths.empty() && m_values.empty() &&
               m_colours.empty();
    }
    void ClearEvents() { m_events.clear(); }

private:
    bool TakePath(const char* kind, const vynui::FileDialogRequest& request, std::string& path);

    std::vector<Event> m_events;
    std::deque<vynui::Answer> m_answers;
    std::deque<vynui::SaveChoice> m_saveChoices;
    std::deque<std::string> m_paths;
    std::deque<float> m_values;
    std::deque<Wml::ColorRGBA> m_colours;
    std::string m_status;
    std::string m_title;
    bool m_modified = false;
};

}  // namespace kftest
