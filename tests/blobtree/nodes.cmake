# The node catalogue, listeners across whole trees, and the caches under editing.
target_sources(blobtree_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_NodesLeaves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_NodesComposition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_Listeners.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_CacheEditing.cpp
)
