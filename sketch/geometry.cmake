# Polylines, value point sets, sketch fields and the curve distance tree.
target_sources(vynsketch PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PolyLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PointSet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SketchField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BVTreeNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CurveBVTree.cpp
)
# The outline field builders sample their rows on two threads.
target_link_libraries(vynsketch PRIVATE Threads::Threads)
