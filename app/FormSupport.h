#pragma once
// Small pieces every dialog form shares: text conversion and showing a
// model's refusal through the program's prompts.

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <string>

#include "scene/UserInterface.h"
#include "view/ViewCore.h"

namespace kilnform_forms {

inline QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string S(const QString& text)
{
    return text.toStdString();
}

/// Through the view's prompts when it has them (replays answer and echo
/// them), else a plain message box over parent.
inline void ShowRefusal(vynui::CViewCore& core, QWidget* parent, const std::string& text,
                        const std::string& title = "Kilnform")
{
    if (vynui::UserInterface* ui = core.GetUserInterface())
        ui->ShowMessage(text, title);
    else
        QMessageBox::warning(parent, Q(title), Q(text));
}

}  // namespace kilnform_forms
