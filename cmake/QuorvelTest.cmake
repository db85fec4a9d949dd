# GoogleTest for both builds: Debian's packaged library natively, and the same
# sources (Debian's googletest package) compiled with the cross toolchain for Windows.
# Without GoogleTest (a plain Windows machine, say) the program still builds;
# only the tests are left out.
set(QUORVEL_HAVE_GTEST OFF)
if(WIN32)
  set(QUORVEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
endif()
if(WIN32 AND NOT EXISTS ${QUORVEL_GTEST_SOURCE}/CMakeLists.txt)
  message(STATUS "GoogleTest sources not found at ${QUORVEL_GTEST_SOURCE}: tests are not built")
elseif(WIN32)
  set(QUORVEL_HAVE_GTEST ON)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUORVEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Every Windows program runs through scripts/wine-run.sh, in a prefix of this build.
  set(QUORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh CACHE STRING "" FORCE)
  set(QUORVEL_TEST_ENV "QUORVEL_WINEPREFIX=${QUORVEL_WINEPREFIX}")
else()
  find_package(GTest)
  if(GTest_FOUND)
    set(QUORVEL_HAVE_GTEST ON)
    include(GoogleTest)
  else()
    message(STATUS "GoogleTest not found: tests are not built")
  endif()
endif()

# quorvel_add_test(name SOURCES ... LIBS ...): one GoogleTest program.
# Natively every test case becomes a CTest test; under Wine the program runs
# once as one CTest test, since each start of a Windows program costs a Wine start.
function(quorvel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QUORVEL_TEST_ENV}" TIMEOUT 300)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
