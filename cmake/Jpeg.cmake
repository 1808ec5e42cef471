# libjpeg (the v62 API) as the target JPEG::JPEG, and djpeg as LAUNCHER_DJPEG (the
# reference decoder the graphics tests compare with).
if(WIN32)
  # Cross-built from Debian's source package by scripts/build-libjpeg-win32.sh.
  set(LIBJPEG_WIN32_ROOT ${PROJECT_SOURCE_DIR}/.cache/libjpeg-win32 CACHE PATH
      "Install folder of libjpeg-turbo built for i686-w64-mingw32")
  if(NOT EXISTS ${LIBJPEG_WIN32_ROOT}/lib/libjpeg.a
     AND LIBJPEG_WIN32_ROOT STREQUAL "${PROJECT_SOURCE_DIR}/.cache/libjpeg-win32")
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-libjpeg-win32.sh
                    RESULT_VARIABLE jpegBuild)
    if(NOT jpegBuild EQUAL 0)
      message(FATAL_ERROR "scripts/build-libjpeg-win32.sh failed")
    endif()
  endif()
  if(NOT EXISTS ${LIBJPEG_WIN32_ROOT}/lib/libjpeg.a)
    message(FATAL_ERROR "No libjpeg in ${LIBJPEG_WIN32_ROOT}: run scripts/build-libjpeg-win32.sh")
  endif()
  add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
  set_target_properties(JPEG::JPEG PROPERTIES
    IMPORTED_LOCATION ${LIBJPEG_WIN32_ROOT}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${LIBJPEG_WIN32_ROOT}/include)
  set(LAUNCHER_DJPEG ${LIBJPEG_WIN32_ROOT}/bin/djpeg.exe)
elseif(LAUNCHER_FUZZ)
  # Built from the same source package with the fuzzers' instrumentation, so the JPEG
  # target's coverage reaches inside the decoder (scripts/build-libjpeg-fuzz.sh).
  set(LIBJPEG_FUZZ_ROOT ${PROJECT_SOURCE_DIR}/.cache/libjpeg-fuzz)
  if(NOT EXISTS ${LIBJPEG_FUZZ_ROOT}/.complete)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/build-libjpeg-fuzz.sh
                    RESULT_VARIABLE jpegBuild)
    if(NOT jpegBuild EQUAL 0)
      message(FATAL_ERROR "scripts/build-libjpeg-fuzz.sh failed")
    endif()
  endif()
  add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
  set_target_properties(JPEG::JPEG PROPERTIES
    IMPORTED_LOCATION ${LIBJPEG_FUZZ_ROOT}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${LIBJPEG_FUZZ_ROOT}/include)
  find_program(LAUNCHER_DJPEG djpeg)
else()
  find_package(JPEG REQUIRED)
  find_program(LAUNCHER_DJPEG djpeg)
endif()
