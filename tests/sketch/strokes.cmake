# Tests of strokes, their classification and the stroke factory.
target_sources(sketch_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_Stroke.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_StrokeClassification.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_StrokeFactory.cpp
)
