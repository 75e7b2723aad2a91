# libwebp, the WebP reference decoder, built for this tree's processor from
# Debian's source package by scripts/build-libwebp.sh (run by
# scripts/install-deps.sh). The version is pinned here, and only here.
set(TRAWLIX_LIBWEBP_VERSION "1.2.4-0.2+deb12u1")
set(TRAWLIX_DEPS_ROOT "/opt/trawlix-deps" CACHE PATH "Where the libraries built from Debian sources live")
set(TRAWLIX_LIBWEBP_PREFIX "${TRAWLIX_DEPS_ROOT}/libwebp-${TRAWLIX_LIBWEBP_VERSION}/${CMAKE_SYSTEM_PROCESSOR}")
if(NOT EXISTS "${TRAWLIX_LIBWEBP_PREFIX}/stamp")
  message(FATAL_ERROR "libwebp ${TRAWLIX_LIBWEBP_VERSION} is not built for ${CMAKE_SYSTEM_PROCESSOR}: "
                      "run scripts/install-deps.sh as root")
endif()
add_library(trawlix_libwebp INTERFACE)
target_include_directories(trawlix_libwebp SYSTEM INTERFACE "${TRAWLIX_LIBWEBP_PREFIX}/include")
target_link_libraries(trawlix_libwebp INTERFACE "${TRAWLIX_LIBWEBP_PREFIX}/lib/libwebpdemux.a"
                      "${TRAWLIX_LIBWEBP_PREFIX}/lib/libwebpdecoder.a")
