# Tests of the operator scene objects, their parameters and the warp handles.
target_sources(blobtree_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_OperatorParameters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_OperatorDrawingAndHandles.cpp
)
