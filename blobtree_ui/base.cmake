# The model, its factory and the base classes of the tree's scene objects.
target_sources(kilnform_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeNodeSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompositionNodeSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RootNodeSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PartGroupSO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeSceneObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeFactory.cpp
)
