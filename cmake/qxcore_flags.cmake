# Flags shared by every target of the project.

if(QXCORE_SANITIZE)
  add_compile_options(-fsanitize=${QXCORE_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QXCORE_SANITIZE})
endif()

# Warnings for the project's own code; attached per target so that third-party
# headers pulled in by tests and benchmarks do not have to pass them.
set(QXCORE_WARNINGS -Wall -Wextra -Wno-unused-parameter)
# Errors only where we ask for them (CI): a compiler version we never tried may
# warn about new things, and that must not stop a user's build.
option(QXCORE_WARNINGS_AS_ERRORS "Make the project's own warnings errors" OFF)
if(QXCORE_WARNINGS_AS_ERRORS)
  list(APPEND QXCORE_WARNINGS -Werror)
endif()
# GCC 12 at -O2 and above raises -Wrestrict inside libstdc++'s own string
# concatenation (a known false alarm of that version); the code it points at
# is the standard library's, never ours.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND QXCORE_WARNINGS -Wno-restrict)
endif()

# The design relies on exact IEEE behaviour: signed zero, NaN compares, exact bits.
add_compile_options(-fno-fast-math -ffp-contract=off)

function(qxcore_project_target target)
  target_compile_options(${target} PRIVATE ${QXCORE_WARNINGS})
endfunction()
