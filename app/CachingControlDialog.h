#pragma once
// The "Caching Control Panel" form (modal): the caching switch, the sampling
// of values and gradients, and the cache resolution (4 to 1024).

#include <QDialog>

#include "view/CachingControlDialogModel.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace vynui {
class CViewCore;
}

class CCachingControlDialog : public QDialog {
public:
    CCachingControlDialog(vynui::CViewCore& core, QWidget* parent);
    QCheckBox* EnableBox() const { return m_enable; }
    QButtonGroup* ValueGroup() const { return m_value; }
    QButtonGroup* GradientGroup() const { return m_gradient; }
    QLineEdit* ResolutionEdit() const { return m_resolution; }
    /// OK: a refused entry is shown and the dialog stays open.
    void accept() override;

private:
    vynui::CViewCore& m_core;
    vynui::CachingControlDialogModel m_model;
    QCheckBox* m_enable;
    QButtonGroup* m_value;
    QButtonGroup* m_gradient;
    QLineEdit* m_resolution;
};
