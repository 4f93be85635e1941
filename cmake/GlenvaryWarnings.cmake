# One INTERFACE target carries the warning flags; every product and test
# target links it, so the flags stay scoped to our own code.
add_library(glenvary_warnings INTERFACE)
add_library(glenvary::warnings ALIAS glenvary_warnings)
target_compile_options(glenvary_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
                                 -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                 -Wimplicit-fallthrough>
  $<$<AND:$<BOOL:${GLENVARY_WERROR}>,$<CXX_COMPILER_ID:GNU,Clang>>:-Werror>)
