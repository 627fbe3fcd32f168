#pragma once
// Everything the program asks of the person at the screen: messages,
// questions, file choices, one number, a colour, the status line and the
// window title. The managers talk only to this interface; the Qt program
// answers with real dialogs, tests and replays with scripted answers.

#include <cmath>
#include <cstdio>
#include <string>

#include "wml/ColorRGBA.h"

namespace vynui {

/// What a file dialog shows. The filter is in Qt's form
/// ("OBJ Files (*.obj);;All Files (*)").
struct FileDialogRequest {
    std::string title;
    std::string defaultExtension;  ///< without the dot; appended when the name has none
    std::string fileName;          ///< proposed name
    std::string filter;
    bool askBeforeOverwrite = true;  ///< save dialogs only
};

/// The value dialog: one number in [minimum, maximum], shown as an integer
/// or a float.
struct ValueRequest {
    std::string label;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float current = 0.0f;
    bool integer = false;

    /// The dialog's title, "Set <label>".
    std::string Title() const { return "Set " + label; }
    /// True when value may be stored (an integer entry is first cut to its
    /// integer part, as the dialog parses it); otherwise refusal holds the
    /// message the dialog shows (titled "Invalid Value") and it stays open.
    bool Accepts(float& value, std::string& refusal) const;
};

/// Answers of a question; Cancel only when the question offers it.
enum class Answer { Yes, No, Cancel };

/// Answers of the question about unsaved changes.
enum class SaveChoice { Save, Discard, Cancel };

class UserInterface {
public:
    virtual ~UserInterface() = default;

    /// A modal message box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    /// A modal question with Yes and No (and Cancel when withCancel).
    virtual Answer AskQuestion(const std::string& text, const std::string& title, bool withCancel) = 0;
    /// An open-file dialog; false when cancelled, path untouched.
    virtual bool ChooseFileToOpen(const FileDialogRequest& request, std::string& path) = 0;
    /// A save-file dialog; false when cancelled, path untouched.
    virtual bool ChooseFileToSave(const FileDialogRequest& request, std::string& path) = 0;
    /// The value dialog; false when cancelled, value untouched. A value the
    /// dialog accepts lies in the request's range.
    virtual bool AskValue(const ValueRequest& request, float& value) = 0;
    /// The colour picker on colour; false when cancelled, colour untouched.
    virtual bool ChooseColour(Wml::ColorRGBA& colour) = 0;
    /// The main window's status line.
    virtual void SetStatusText(const std::string& text) = 0;
    /// The main window's title. A "[*]" in it stands for the unsaved-changes
    /// mark that SetWindowModified shows or hides.
    virtual void SetWindowTitle(const std::string& title) = 0;
    /// Shows or hides the unsaved-changes mark of the title.
    virtual void SetWindowModified(bool /*modified*/) {}
    /// Asks whether to save unsaved changes first: Save, Discard or Cancel.
    /// The plain form asks a Yes/No/Cancel question (Yes saves).
    virtual SaveChoice AskToSaveChanges(const std::string& text, const std::string& title)
    {
        switch (AskQuestion(text, title, true)) {
            case Answer::Yes:
                return SaveChoice::Save;
            case Answer::No:
                return SaveChoice::Discard;
            default:
                return SaveChoice::Cancel;
        }
    }
};

inline bool ValueRequest::Accepts(float& value, std::string& refusal) const
{
    if (integer && std::isfinite(value)) value = std::trunc(value);
    if (std::isfinite(value) && value >= minimum && value <= maximum) return true;
    char text[96];
    if (integer && std::isfinite(value) && std::fabs(value) < 2.0e9f)
        std::snprintf(text, sizeof text, "Value %d is out of range", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "Value %.5f is out of range", value);
    refusal = text;
    return false;
}

}  // namespace vynui
