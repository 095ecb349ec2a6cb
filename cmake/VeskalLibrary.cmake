# veskal_library(<target> <sources>...): a static library of the folder it is
# declared in, whose headers its users include as "<folder>/header.hpp".
# Each library exports a folder of its own that holds a link to its sources
# alone, so a user sees the headers of the libraries it links and no others:
# an include that runs upward (numerics including horn, horn including
# console) fails to build.
function(veskal_library target)
  add_library(${target} STATIC ${ARGN})
  get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  set(root "${PROJECT_BINARY_DIR}/include/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
endfunction()

# veskal_without_command_line(<target>...): the libraries below the front
# ends (the engines, the tables, the solver, the reflector and pattern-file
# code) build without CLI11 and nlohmann-json: a folder whose CLI/CLI.hpp and
# nlohmann/json.hpp stop the build comes first on their include path.
function(veskal_without_command_line)
  foreach(target IN LISTS ARGN)
    target_include_directories(${target} BEFORE PRIVATE "${PROJECT_SOURCE_DIR}/cmake/no-command-line")
  endforeach()
endfunction()
