#pragma once
// The value dialog without its window: the texts it shows for a request and
// the check of what the person typed. The Qt form only lays these out.

#include <string>

#include "scene/UserInterface.h"

namespace vynui {

class ValueDialogModel {
public:
    explicit ValueDialogModel(const ValueRequest& request) : m_request(request) {}

    const ValueRequest& GetRequest() const { return m_request; }

    /// "Set <label>".
    std::string Title() const { return m_request.Title(); }
    /// "<label>:", beside the edit.
    std::string LabelText() const { return m_request.label + ":"; }
    /// "%d to %d" for an integer, else "%.3f to %.3f".
    std::string RangeText() const;
    /// The current value as the edit first shows it: "%d" or "%.5f".
    std::string CurrentText() const;

    /// Reads the typed text as a base-10 integer or a float (blanks around
    /// it are allowed). True with value set when it is a number within the
    /// range; otherwise refusal holds the message to show titled
    /// RefusalTitle() and the dialog stays open.
    bool Parse(const std::string& text, float& value, std::string& refusal) const;
    static const char* RefusalTitle() { return "Invalid Value"; }

private:
    ValueRequest m_request;
};

}  // namespace vynui
