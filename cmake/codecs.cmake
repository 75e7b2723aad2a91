# The decoders of HEIC/HEIF (libheif with libde265), AVIF (libheif with dav1d)
# and JPEG XL (libjxl with highway and brotli), built for this tree's
# processor from Debian's source packages by scripts/build-codecs.sh (run by
# scripts/install-deps.sh) into one prefix per processor. The versions are
# pinned here, and only here.
set(TRAWLIX_CODECS
  "brotli 1.0.9-2"
  "highway 1.0.3-3+deb12u1"
  "jpeg-xl 0.7.0-10+deb12u1"
  "libde265 1.0.11-1+deb12u2"
  "dav1d 1.0.0-2+deb12u1"
  "libheif 1.15.1-1+deb12u1")
# The prefix's name: the pins and the script that builds them.
set(pins "")
foreach(pin IN LISTS TRAWLIX_CODECS)
  string(APPEND pins "${pin}\n")
endforeach()
set(script "${CMAKE_SOURCE_DIR}/scripts/build-codecs.sh")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${script}")
file(READ "${script}" text)
string(SHA1 id "${pins}${text}")
string(SUBSTRING "${id}" 0 10 id)
include(${CMAKE_CURRENT_LIST_DIR}/prebuilt.cmake)
set(TRAWLIX_CODECS_PREFIX "${TRAWLIX_DEPS_ROOT}/codecs-${id}/${CMAKE_SYSTEM_PROCESSOR}")
# Each library before what it uses: brotli's common part after its decoder.
set(lib "${TRAWLIX_CODECS_PREFIX}/lib")
trawlix_prebuilt(trawlix_codecs "${TRAWLIX_CODECS_PREFIX}" "The picture decoders"
                 "${lib}/libheif.a" "${lib}/libde265.a" "${lib}/libdav1d.a" "${lib}/libjxl_dec.a" "${lib}/libhwy.a"
                 "${lib}/libbrotlidec.a" "${lib}/libbrotlicommon.a")
target_compile_definitions(trawlix_codecs INTERFACE LIBHEIF_STATIC_BUILD LIBDE265_STATIC_BUILD HWY_STATIC_DEFINE
                                                    JXL_STATIC_DEFINE)
