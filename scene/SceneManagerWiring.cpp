// Kept apart from the manager so that code which wires its own intersector
// does not pull in the surface intersector.

#include "scene/SceneManager.h"
#include "surface/SurfaceIntersector.h"

namespace vynui {

void CSceneManager::SetToolManager(Tool3DManager* tools)
{
    SetToolManager(tools, GetSurfaceIntersector());
}

}  // namespace vynui
