# Tests of the tree's nodes, root, caches, cache manager and reports.
target_sources(blobtree_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_BlobTreeNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_RootNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_FieldCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_FieldCacheManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_BlobTreeStatistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_GroupScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_CacheAccuracy.cpp
)
