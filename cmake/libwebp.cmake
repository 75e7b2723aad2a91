# libwebp, the WebP reference decoder, built for this tree's processor from
# Debian's source package by scripts/build-libwebp.sh (run by
# scripts/install-deps.sh). The version is pinned here, and only here.
set(TRAWLIX_LIBWEBP_VERSION "1.2.4-0.2+deb12u1")
include(${CMAKE_CURRENT_LIST_DIR}/prebuilt.cmake)
set(TRAWLIX_LIBWEBP_PREFIX "${TRAWLIX_DEPS_ROOT}/libwebp-${TRAWLIX_LIBWEBP_VERSION}/${CMAKE_SYSTEM_PROCESSOR}")
trawlix_prebuilt(trawlix_libwebp "${TRAWLIX_LIBWEBP_PREFIX}" "libwebp ${TRAWLIX_LIBWEBP_VERSION}"
                 "${TRAWLIX_LIBWEBP_PREFIX}/lib/libwebpdemux.a" "${TRAWLIX_LIBWEBP_PREFIX}/lib/libwebpdecoder.a")
