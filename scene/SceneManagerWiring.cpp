// Where the scene manager meets the program's other parts: the surface
// intersector for the tools, the mesh cache and imported meshes. Kept apart
// so that the manager's own logic does not depend on them.

#include "detail/MeshCache.h"
#include "detail/MeshSceneObject.h"
#include "scene/SceneManager.h"
#include "surface/SurfaceIntersector.h"

namespace vynui {

void CSceneManager::SetToolManager(Tool3DManager* tools)
{
    SetToolManager(tools, GetSurfaceIntersector());
}

void CSceneManager::UseStandardMeshHandling()
{
    SetMeshDropper([](SceneObject* object) { GetMeshCache()->DropMesh(object); });
    SetMeshImporter([](const std::string& path, std::string& error) -> SceneObject* {
        return MeshSceneObject::Import(path, error);
    });
}

}  // namespace vynui
