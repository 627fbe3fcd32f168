target_sources(vynblobtree PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlobTreeLibrary.cpp
)
