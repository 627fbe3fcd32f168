#pragma once
// Editing of the displayed mesh through decals, switched on by "Suggest
// Surface Edits". No edits are offered yet: gestures go on to the next
// listener and the overlay is empty.

#include "interact/IGestureEventListener.h"

namespace vynui_tex {

class CMeshEditManager : public vynui::IGestureEventListener {
public:
    CMeshEditManager() = default;

    /// Initially off; the view toggles it.
    bool IsMeshEditing() const { return m_meshEditing; }
    void SetMeshEditing(bool on) { m_meshEditing = on; }
    /// Flips the flag and answers the new value.
    bool ToggleMeshEditing()
    {
        m_meshEditing = !m_meshEditing;
        return m_meshEditing;
    }

    /// Draws the editing overlay in the view's drawing pass; empty so far.
    void Draw() {}

private:
    bool m_meshEditing = false;
};

}  // namespace vynui_tex
