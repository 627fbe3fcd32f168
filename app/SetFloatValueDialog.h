#pragma once
// The value dialog: one number within a range, typed into an edit that
// starts with the current value selected. OK with a number outside the range
// (or no number) says why and keeps the dialog open.

#include <QDialog>

#include "view/ValueDialogModel.h"

class QLabel;
class QLineEdit;

class CSetFloatValueDialog : public QDialog {
    Q_OBJECT
public:
    CSetFloatValueDialog(const vynui::ValueRequest& request, QWidget* parent = nullptr);

    /// The accepted value; the request's current value until OK succeeds.
    float GetValue() const { return m_value; }
    QLineEdit* GetEdit() const { return m_edit; }
    QLabel* GetRangeLabel() const { return m_range; }

    void accept() override;

private:
    vynui::ValueDialogModel m_model;
    float m_value;
    QLineEdit* m_edit;  // owned by Qt's parent chain
    QLabel* m_range;    // owned by Qt's parent chain
};
