# A dependency that is missing stops the configuration with the name of the
# Debian package that brings it (tools/setup installs them all): no target or
# test is ever left out quietly.

# veskal_require_program(<variable> <program> <debian-package>)
function(veskal_require_program variable program package)
  find_program(${variable} ${program})
  if(NOT ${variable})
    message(FATAL_ERROR "${program} not found: install the Debian package ${package} "
                        "(tools/setup installs every package the project needs)")
  endif()
endfunction()

# veskal_require_package(<cmake-package> <debian-package> [find_package arguments...])
macro(veskal_require_package name package)
  find_package(${name} ${ARGN} QUIET)
  if(NOT ${name}_FOUND)
    message(FATAL_ERROR "${name} not found: install the Debian package ${package} "
                        "(tools/setup installs every package the project needs)")
  endif()
endmacro()
