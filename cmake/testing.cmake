# GoogleTest from the sources of Debian's googletest package, built with the
# same compiler and flags as the code under test (MinGW for the Windows build).
set(MELODEK_GTEST_SOURCE /usr/src/googletest CACHE PATH "googletest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${MELODEK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(WIN32)
  # gtest's own sources trip -Wall noise under MinGW; they are not ours.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
endif()

# melodek_test(<name> SOURCES ... [LIBS ...] [LABELS ...])
# One GoogleTest executable, registered as one CTest test. In the Windows
# build CTest runs it under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
function(melodek_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# melodek_capture_sound(<test>): the test's played sound lands in
# <build>/<test>.capture.raw (Wine's ALSA file device), whose path the test
# finds in MELODEK_CAPTURE. Wine reads ALSA_CONFIG_PATH only at process start.
function(melodek_capture_sound test)
  set(conf ${CMAKE_CURRENT_BINARY_DIR}/${test}.asound.conf)
  set(capture ${CMAKE_CURRENT_BINARY_DIR}/${test}.capture.raw)
  file(WRITE ${conf} "pcm.!default {\n  type file\n  slave.pcm { type null }\n  file \"${capture}\"\n  format \"raw\"\n  truncate false\n}\n")
  set_tests_properties(${test} PROPERTIES ENVIRONMENT "ALSA_CONFIG_PATH=${conf};MELODEK_CAPTURE=${capture}")
endfunction()
