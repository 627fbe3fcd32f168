# kilnform_core: the program's logic without Qt. It spans the folders the data
# flows through (scene objects, the tree's scene objects, and the program's
# managers as they land); each folder adds its own sources.
add_library(kilnform_core STATIC)
target_compile_features(kilnform_core PUBLIC cxx_std_17)
target_include_directories(kilnform_core PUBLIC ${PROJECT_SOURCE_DIR})
# Scene objects hold the model's lock, a Boost recursive mutex, in their headers.
target_link_libraries(kilnform_core
  PUBLIC vynsketch vynblobtree vynimplicit wml Boost::thread
  PRIVATE kilnform_options PNG::PNG kilnform_opencv OpenGL::GL kilnform_glu)

add_subdirectory(scene)
add_subdirectory(blobtree_ui)
add_subdirectory(interact)
add_subdirectory(surface)
add_subdirectory(detail)
add_subdirectory(sketch_ui)
add_subdirectory(persist)
