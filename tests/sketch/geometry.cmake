# Tests of polylines, point sets, sketch fields, the outline field builders
# and the curve distance tree.
target_sources(sketch_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/test_PolyLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_PointSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_SketchField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_CurveBVTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_FieldBuilders.cpp
)
