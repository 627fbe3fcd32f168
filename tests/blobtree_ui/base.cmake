# Tests of the model, the factory and the base scene objects.
target_sources(blobtree_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_BaseSceneObjects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_FactoryCodes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_Locking.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_StoreRestore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_ShapeTypeTable.cpp
)
