#pragma once
// The program's prompts as Qt dialogs: message boxes, questions, file
// dialogs, the value dialog, the colour picker, the status line and the main
// window's title.

#include "scene/UserInterface.h"

class QMainWindow;

class CQtUserInterface : public vynui::UserInterface {
public:
    /// window: not owned; parent of the dialogs, owner of the status bar.
    explicit CQtUserInterface(QMainWindow* window);

    void ShowMessage(const std::string& text, const std::string& title) override;
    vynui::Answer AskQuestion(const std::string& text, const std::string& title, bool withCancel) override;
    bool ChooseFileToOpen(const vynui::FileDialogRequest& request, std::string& path) override;
    bool ChooseFileToSave(const vynui::FileDialogRequest& request, std::string& path) override;
    bool AskValue(const vynui::ValueRequest& request, float& value) override;
    bool ChooseColour(Wml::ColorRGBA& colour) override;
    void SetStatusText(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void SetWindowModified(bool modified) override;
    vynui::SaveChoice AskToSaveChanges(const std::string& text, const std::string& title) override;

private:
    QMainWindow* m_window;
};
