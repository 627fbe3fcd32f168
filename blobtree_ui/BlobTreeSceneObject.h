#pragma once
// One implicit model. Its recursive lock (the SceneObject lock) is the lock of
// the whole model: every scene object, handle and parameter of the model takes
// it around each node access. It owns the factory; its only scene-object child
// is the root's scene object.

#include "scene/SceneObject.h"

namespace vynui_bt {

class BlobTreeFactory;
class RootNodeSceneObject;

class BlobTreeSceneObject : public vynui::SceneObject {
public:
    BlobTreeSceneObject();
    /// Destroys the factory (not the root scene object).
    ~BlobTreeSceneObject() override;

    /// "BlobTreeSO".
    const char* GetTypeName() override;

    /// Stores (and takes ownership of) the factory; the factory's root scene
    /// object becomes the only child. A previous factory is destroyed.
    void SetFactory(BlobTreeFactory* factory);
    BlobTreeFactory* GetFactory() const { return m_factory; }
    /// The factory's root scene object, or null without a factory.
    RootNodeSceneObject* GetRootSceneObject() const;

private:
    BlobTreeFactory* m_factory = nullptr;
};

}  // namespace vynui_bt
