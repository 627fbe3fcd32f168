#pragma once
// The "Sketch Options" form (modeless): the operation list (double-click
// runs one) and the parameter slider with its label.

#include <QDialog>

class QLabel;
class QListWidget;
class QSlider;

namespace vynui {
class CViewCore;
}

class CSketchOptionsDialog : public QDialog {
public:
    CSketchOptionsDialog(vynui::CViewCore& core, QWidget* parent);
    /// Shows the model's list and slider.
    void LoadFromModel();
    QListWidget* List() const { return m_list; }
    QSlider* ParameterSlider() const { return m_slider; }
    QLabel* ParameterLabel() const { return m_label; }

private:
    vynui::CViewCore& m_core;
    QListWidget* m_list;
    QSlider* m_slider;
    QLabel* m_label;
    QSlider* m_second;
    QLabel* m_secondLabel;
};
