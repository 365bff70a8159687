# GoogleTest for both builds: the native build uses Debian's packaged GoogleTest, the Windows
# build compiles it from /usr/src/googletest with the cross compiler. Tests discovered at test
# time run under the toolchain's emulator (Wine) in the Windows build.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own sources are not ours to keep warning-free.
  foreach(t gtest gtest_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
  set(QZ_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(QZ_GTEST GTest::gtest)
endif()

# qz_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <label>])
# One test program; every test case becomes a CTest test with the given label (default
# "unit"), plus "wine" in the Windows build.
function(qz_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  # gtest_discover_tests' PROPERTIES cannot carry a list, so a test program has one label here;
  # the Windows build adds "wine" to every test through the Tests folder's LABELS property.
  list(GET ARG_LABELS 0 label)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qztestmain ${QZ_GTEST})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES LABELS ${label} TIMEOUT 300)
endfunction()
