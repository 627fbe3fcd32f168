#pragma once
// The "Field Image" window: a picture of the scene's field on a cutting
// plane, in a scroll area, with the "File" and "View" menus.

#include <QWidget>
#include <functional>

#include "view/FieldImageModel.h"

class QAction;
class QLabel;
class QMenuBar;
class QScrollArea;

namespace vynui {
class CViewCore;
}

class CFieldImageWindow : public QWidget {
public:
    CFieldImageWindow(vynui::CViewCore& core, QWidget* parent = nullptr);

    /// Samples the scene's field again and shows it.
    void Refresh();
    /// Called when the window is closed (not when it is merely deleted at
    /// shut-down, when the view may already be gone).
    void SetClosedHook(std::function<void()> hook) { m_closed = std::move(hook); }

    vynui::FieldImageModel& Model() { return m_model; }
    QMenuBar* MenuBar() const { return m_menus; }
    QLabel* ImageLabel() const { return m_image; }
    /// The menu action with this text ("Save Image", "512", "X/Z Plane", ...).
    QAction* FindAction(const QString& text) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void ShowImage();
    void SaveImage();
    void SaveValueField();
    /// The save dialog, then save(path); a failure shows its reason.
    void SaveWith(const char* title, const char* extension, const char* fileName, const char* filter,
                  const std::function<bool(const std::string&, std::string*)>& save);

    vynui::CViewCore& m_core;
    vynui::FieldImageModel m_model;
    QMenuBar* m_menus;
    QScrollArea* m_scroll;
    QLabel* m_image;
    std::function<void()> m_closed;
};
