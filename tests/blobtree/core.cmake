target_sources(blobtree_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_Placeholder.cpp
)
