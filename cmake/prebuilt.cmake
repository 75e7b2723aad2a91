# The libraries the project's scripts build from Debian's source packages
# (scripts/install-deps.sh runs them), each under a prefix of its own below
# TRAWLIX_DEPS_ROOT, with a stamp once it is whole.
set(TRAWLIX_DEPS_ROOT "/opt/trawlix-deps" CACHE PATH "Where the libraries built from Debian sources live")

# trawlix_prebuilt(TARGET PREFIX WHAT LIBRARIES...): an interface library
# over PREFIX's headers and the given archives; the configure step stops with
# what to run where PREFIX is not built for this tree's processor.
function(trawlix_prebuilt target prefix what)
  if(NOT EXISTS "${prefix}/stamp")
    message(FATAL_ERROR "${what}: not built for ${CMAKE_SYSTEM_PROCESSOR} (${prefix}): "
                        "run scripts/install-deps.sh as root")
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE "${prefix}/include")
  target_link_libraries(${target} INTERFACE ${ARGN})
endfunction()
