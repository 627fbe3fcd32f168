# The field caches and the process-wide manager.
target_sources(vynblobtree PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/cache/FieldCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cache/PassThroughCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cache/FieldWithFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cache/AdaptiveUniformGrid3DCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cache/FieldCacheManager.cpp
)
