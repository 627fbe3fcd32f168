#pragma once
// Small OBJ files written by the tests of imported meshes.

#include <string>

namespace kilnform_test {

/// A cube from -0.5 to 0.5 on every axis, quads wound outwards, no normals.
inline std::string CubeOBJ()
{
    return "# cube\n"
           "v -0.5 -0.5 -0.5\nv 0.5 -0.5 -0.5\nv 0.5 0.5 -0.5\nv -0.5 0.5 -0.5\n"
           "v -0.5 -0.5 0.5\nv 0.5 -0.5 0.5\nv 0.5 0.5 0.5\nv -0.5 0.5 0.5\n"
           "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 3 4 8 7\nf 2 3 7 6\nf 1 5 8 4\n";
}

}  // namespace kilnform_test
