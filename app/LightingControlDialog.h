#pragma once
// The "Lighting Control" form (modeless): lighting mode, shading, axes,
// mesh colouring, background and mesh colours and the ambient light.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace vynui {
class CViewCore;
}

class CLightingControlDialog : public QDialog {
public:
    CLightingControlDialog(vynui::CViewCore& core, QWidget* parent);
    /// Shows what the model holds (the rendering manager loaded it).
    void LoadFromModel();
    /// Moves the controls into the model and applies it.
    void ApplyToModel();

    QButtonGroup* LightingGroup() const { return m_lighting; }
    QButtonGroup* ShadingGroup() const { return m_shading; }
    QButtonGroup* ColouringGroup() const { return m_colouring; }
    QCheckBox* AxesBox() const { return m_axes; }
    QLabel* AmbientLabel() const { return m_ambient; }

private:
    void ShowColours();
    /// Lets the user pick one of the model's colours.
    void PickColour(unsigned char* rgb);
    void AskAmbient();

    vynui::CViewCore& m_core;
    QButtonGroup* m_lighting;
    QButtonGroup* m_shading;
    QButtonGroup* m_colouring;
    QCheckBox* m_axes;
    QLabel* m_background;
    QLabel* m_mesh;
    QLabel* m_ambient;
};
