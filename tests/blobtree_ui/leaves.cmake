# Tests of the leaf scene objects: parameters and their writes, handles and
# drawing data, records.
target_sources(blobtree_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_LeafParameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_LeafHandles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_LeafRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_NodeParameters.cpp
)
