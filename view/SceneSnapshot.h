#pragma once
// The scene of a scene manager as file text (what undo keeps), and a scene
// put back to such a text. Only the scene: no camera, no texture manager.

#include <string>

namespace vynui {

class CSceneManager;

/// The scene file text of scene's objects. False when it cannot be written.
bool SnapshotScene(CSceneManager* scene, std::string& text);

enum class SceneRestore {
    Failed,   ///< the text could not be read; the scene is as it was
    InPlace,  ///< same objects and tree: changed values set on the live objects
    Rebuilt   ///< the scene was emptied and the text read into it
};

/// Puts scene back to text. When the live scene and the text hold the same
/// objects in the same tree and differ only in parameter values (frames
/// among them), names or the cutting plane, those are set on the live
/// objects and the listeners hear objects-modified, so surfaces are redone
/// only where something moved; otherwise the scene is emptied (shapes,
/// billboards, imported meshes, cutting plane) and the text loaded, which
/// leaves nothing selected.
SceneRestore RestoreSceneText(CSceneManager* scene, const std::string& text);

}  // namespace vynui
