# Every dependency comes from a Debian 12 package; scripts/install-deps installs them.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(PNG REQUIRED)
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
find_package(Boost REQUIRED COMPONENTS thread)
find_package(pugixml REQUIRED)
find_package(assimp REQUIRED)
find_package(Threads REQUIRED)

# GLU ships no CMake config of its own on Debian.
find_path(GLU_INCLUDE_DIR GL/glu.h REQUIRED)
find_library(GLU_LIBRARY GLU REQUIRED)
add_library(kilnform_glu INTERFACE)
target_include_directories(kilnform_glu INTERFACE ${GLU_INCLUDE_DIR})
target_link_libraries(kilnform_glu INTERFACE ${GLU_LIBRARY} OpenGL::GL)

# The split OpenCV packages ship no CMake config; find the pieces by hand.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
add_library(kilnform_opencv INTERFACE)
target_include_directories(kilnform_opencv INTERFACE ${OPENCV_INCLUDE_DIR})
foreach(part core imgproc imgcodecs highgui)
  find_library(OPENCV_${part}_LIBRARY opencv_${part} REQUIRED)
  target_link_libraries(kilnform_opencv INTERFACE ${OPENCV_${part}_LIBRARY})
endforeach()

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets OpenGL OpenGLWidgets)

# The test support library, shared with the benchmarks, reports through gtest.
if(KILNFORM_BUILD_TESTS OR KILNFORM_BUILD_BENCH)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(KILNFORM_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
