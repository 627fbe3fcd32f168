#pragma once
// The "Point Set Configuration" form (modeless): which point-set passes draw
// and the sizes and densities of the points.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace vynui {
class CViewCore;
}

class CPointSetConfigurationDialog : public QDialog {
public:
    enum Box { ALL, LIGHT_CULLED, SILHOUETTE, SUGGESTIVE, MESH_Z_FILL, DISC_Z_FILL, FREEZE, BOX_COUNT };
    enum Value {
        DISC_DENSITY,
        DISC_SIZE,
        STIPPLE_SIZE,
        STIPPLE_DENSITY,
        CONTOUR_WIDTH,
        LOW,
        HIGH,
        VALUE_COUNT
    };

    CPointSetConfigurationDialog(vynui::CViewCore& core, QWidget* parent);
    /// Shows what the model holds (the rendering manager loaded it).
    void LoadFromModel();
    /// Moves the controls into the model and applies; a refusal is shown.
    bool ApplyToModel();

    QCheckBox* CheckBox(Box box) const { return m_boxes[box]; }
    QLineEdit* ValueEdit(Value value) const { return m_values[value]; }

private:
    vynui::CViewCore& m_core;
    QCheckBox* m_boxes[BOX_COUNT];
    QLineEdit* m_values[VALUE_COUNT];
};
