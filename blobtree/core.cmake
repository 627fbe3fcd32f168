# Nodes, root and listeners, the evaluation wrapper and the cache reports.
target_sources(vynblobtree PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompositionNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RootNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CachedEvaluationWrapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeStatistics.cpp
)
