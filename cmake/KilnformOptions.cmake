# Compile options of our own code, linked PRIVATE into every target we build
# so that nothing is set globally and nothing leaks to a library's users.
add_library(kilnform_options INTERFACE)
target_compile_options(kilnform_options INTERFACE -Wall -Wextra)
# Our shared libraries never rely on symbols being replaced at load time;
# without this, calls between functions of one library cannot be inlined.
target_compile_options(kilnform_options INTERFACE -fno-semantic-interposition)
if(KILNFORM_SANITIZE)
  # float-cast-overflow is not in GCC's default undefined-behaviour set, and a
  # NaN reaching an int conversion is exactly what hostile files produce.
  set(_kilnform_sanitizers address,undefined,float-cast-overflow)
  target_compile_options(kilnform_options INTERFACE
    -fsanitize=${_kilnform_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kilnform_options INTERFACE -fsanitize=${_kilnform_sanitizers})
endif()
