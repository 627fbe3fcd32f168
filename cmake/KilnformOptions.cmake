# Compile options shared by every target. Linked as an INTERFACE library so that
# nothing is set globally.
add_library(kilnform_options INTERFACE)
target_compile_options(kilnform_options INTERFACE -Wall -Wextra)
# Our shared libraries never rely on symbols being replaced at load time;
# without this, calls between functions of one library cannot be inlined.
target_compile_options(kilnform_options INTERFACE -fno-semantic-interposition)
if(KILNFORM_SANITIZE)
  target_compile_options(kilnform_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(kilnform_options INTERFACE -fsanitize=address,undefined)
endif()
