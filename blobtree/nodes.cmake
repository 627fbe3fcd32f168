# One class per primitive or operator kind; header-only classes need no entry.
target_sources(vynblobtree PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/nodes/BartheSmoothDifferenceNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/BezierCurveNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/CappedLinearSweepNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/CurveSweepNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/CylinderNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/FastQuadricPointSetNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/HollowNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/InterpolatingLinearSweepNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/LinearSweepWarpNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/MirrorNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/PointNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/PolyLineNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/RevolutionNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/RicciBlendNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nodes/VariationalWarpNode.cpp
)
