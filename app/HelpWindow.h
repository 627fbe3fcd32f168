#pragma once
// The "Gestures and Keys" window (modeless, one per view): a small picture
// and a few words for every gesture, and the table of the 3D view's keys.
// Everything it says comes from view/HelpContent.h; it only draws.

#include <QDialog>
#include <QImage>
#include <QStringList>

class QTableWidget;

namespace vynui {
class CViewCore;
struct HelpGesture;
}  // namespace vynui

class CHelpWindow : public QDialog {
public:
    CHelpWindow(vynui::CViewCore& core, QWidget* parent);
    /// Nothing it shows changes while the program runs; kept for the form
    /// protocol of the view's window requests.
    void LoadFromModel() {}
    /// The gesture names shown, in order.
    QStringList GestureNames() const { return m_gestures; }
    /// The keys table: key, what it does.
    QTableWidget* Keys() const { return m_keys; }

    /// The picture of one gesture, side pixels square: the example stroke
    /// with a dot where it starts and an arrow where it ends, over a faint
    /// button, shape, handle or sketch where that matters.
    static QImage DrawGesture(const vynui::HelpGesture& gesture, int side);

private:
    /// The table as wide and as high as its rows.
    void FitKeyRows();

    QStringList m_gestures;
    QTableWidget* m_keys;
};
