# Flags shared by every target of the project.

if(QXCORE_SANITIZE)
  add_compile_options(-fsanitize=${QXCORE_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${QXCORE_SANITIZE})
endif()

# Warnings for the project's own code; attached per target so that third-party
# headers pulled in by tests and benchmarks do not have to pass them.
set(QXCORE_WARNINGS -Wall -Wextra -Werror -Wno-unused-parameter)

# The design relies on exact IEEE behaviour: signed zero, NaN compares, exact bits.
add_compile_options(-fno-fast-math -ffp-contract=off)

function(qxcore_project_target target)
  target_compile_options(${target} PRIVATE ${QXCORE_WARNINGS})
endfunction()
