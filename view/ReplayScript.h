#pragma once
// Scripted use of the 3D view: a text file of user actions fed into the same
// entry points the window's events use. One action per line; blank lines and
// lines starting with '#' are skipped; coordinates are window pixels with y
// counted from the top.
//
//   size W H                      the view's size (resize)
//   press left|middle|right X Y [alt]
//   move X Y                      pointer motion (with the held button)
//   release left|middle|right X Y
//   drag X1 Y1 X2 Y2 [X Y ...]    a left-button stroke through the points
//   ellipse CX CY RX RY           a left-button outline once round
//   tap X Y                       a left click
//   key C                         a character key (a, b, +, ...)
//   keydown space|escape|alt, keyup space|escape|alt
//   command MENU TEXT             a menu command by its text
//   hud NAME                      crosses the shown HUD button of that name
//   answer yes|no|cancel          the answer to the next question
//   answer save|discard           the same as yes|no (the unsaved-changes
//                                 question: Save, Discard, Cancel)
//   file PATH                     the path the next file dialog chooses
//   value NUMBER                  the number the next value dialog takes
//   colour R G B                  the colour the next picker takes (0..1)
//   wait SECONDS                  lets time pass (timers run)
//   screenshot PATH               writes the view as PNG
//   capture PATH [TITLE]          writes a whole window as PNG: the main
//                                 window (menus, bars, panels), or the open
//                                 window titled TITLE ("Gestures and Keys")
//   expect shapes N               N shapes in the tree (all levels)
//   expect selected N             N objects selected
//   expect file PATH              PATH exists and is not empty
//   expect message TEXT           the last message box said TEXT
//   expect parameter NAME [= TEXT]  the "Parameters" panel shows a row NAME
//                                 (with the value TEXT)
//   expect item NAME              the "BlobTree Editor" shows an item NAME
//   expect modified yes|no        the title shows the unsaved-changes mark
//   edit NAME = TEXT              types TEXT into the value cell of row NAME of
//   edit NAME TEXT                the "Parameters" panel (the second form for a
//                                 one-word NAME)
//   remember NAME                 notes the value row NAME shows now
//   expect changed NAME           row NAME shows another value than remembered
//   expect unchanged NAME         row NAME shows the value remembered
//
// A line that cannot be read or whose action fails stops the run with
// "line N: reason". The answer lines before the first other action are
// queued before the window's start hook runs: questions at start (the offer
// to restore an autosaved scene) take them.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scene/UserInterface.h"

namespace vynui {

class CViewCore;

/// Prompts answered from the script; messages and the status line are kept
/// (and echoed to a sink) instead of shown.
class ReplayUserInterface : public UserInterface {
public:
    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskQuestion(const std::string& text, const std::string& title, bool withCancel) override;
    bool ChooseFileToOpen(const FileDialogRequest& request, std::string& path) override;
    bool ChooseFileToSave(const FileDialogRequest& request, std::string& path) override;
    bool AskValue(const ValueRequest& request, float& value) override;
    bool ChooseColour(Wml::ColorRGBA& colour) override;
    void SetStatusText(const std::string& text) override { m_status = text; }
    void SetWindowTitle(const std::string& title) override { m_title = title; }
    void SetWindowModified(bool modified) override { m_modified = modified; }

    void QueueAnswer(Answer answer) { m_answers.push_back(answer); }
    bool HasQueuedAnswers() const { return !m_answers.empty(); }
    void QueuePath(const std::string& path) { m_paths.push_back(path); }
    void QueueValue(float value) { m_values.push_back(value); }
    void QueueColour(const Wml::ColorRGBA& colour) { m_colours.push_back(colour); }
    /// Every message box, question and refusal as "title: text".
    void SetEcho(std::function<void(const std::string&)> echo) { m_echo = std::move(echo); }

    const std::string& GetLastMessage() const { return m_lastMessage; }
    const std::string& GetStatus() const { return m_status; }
    const std::string& GetTitle() const { return m_title; }
    bool IsWindowModified() const { return m_modified; }

private:
    void Echo(const std::string& title, const std::string& text);

    std::deque<Answer> m_answers;
    std::deque<std::string> m_paths;
    std::deque<float> m_values;
    std::deque<Wml::ColorRGBA> m_colours;
    std::function<void(const std::string&)> m_echo;
    std::string m_lastMessage;
    std::string m_status;
    std::string m_title;
    bool m_modified = false;
};

/// One parsed line.
struct ReplayAction {
    int line = 0;
    std::string verb;
    std::vector<std::string> words;  ///< the rest, split at blanks
    std::string rest;                ///< the rest as written (menu texts, paths)
};

class ReplayScript {
public:
    /// What the window does for the script; any may be left empty (the
    /// actions that need it then fail).
    struct Window {
        std::function<void(int width, int height)> resize;
        std::function<bool(const std::string& path, std::string& error)> screenshot;
        /// Writes the window titled title (the main window when empty) as
        /// it looks now, frame decorations aside.
        std::function<bool(const std::string& title, const std::string& path, std::string& error)> capture;
        /// Lets real time pass for the window (events, paints, timers).
        std::function<void(double seconds)> wait;
        /// The value the "Parameters" panel shows in its row name; false
        /// when it has no such row.
        std::function<bool(const std::string& name, std::string& value)> parameter;
        /// Whether the "BlobTree Editor" shows an item labelled label.
        std::function<bool(const std::string& label)> treeItem;
        /// Types text into the value cell of the "Parameters" row name, as
        /// the in-place editor does; false (with why) when there is no such
        /// row. A refused value is no failure: the cell shows the old one.
        std::function<bool(const std::string& name, const std::string& text, std::string& why)> editParameter;
        /// Runs once, after the script's leading answer lines are queued and
        /// before its first other action.
        std::function<void()> start;
    };

    /// Reads the script; false with "line N: reason" in error.
    bool Load(const std::string& path, std::string& error);
    bool Parse(const std::string& text, std::string& error);
    const std::vector<ReplayAction>& GetActions() const { return m_actions; }

    /// Runs every action on view (its prompts must be ui). The view's gesture
    /// clock and input counter follow the script's own time while it runs.
    bool Run(CViewCore& view, ReplayUserInterface& ui, const Window& window, std::string& error);

private:
    bool Do(const ReplayAction& action, CViewCore& view, ReplayUserInterface& ui, const Window& window,
            std::string& reason);
    void Stroke(CViewCore& view, const std::vector<float>& points);
    void Advance(double seconds) { m_now += seconds; }

    std::vector<ReplayAction> m_actions;
    std::map<std::string, std::string> m_remembered;  ///< row name -> value text
    double m_now = 1000.0;
};

}  // namespace vynui
