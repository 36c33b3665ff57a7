# Tests of the Windows cross build, run under Wine (scripts/test-windows.sh).
#
# GoogleTest comes from Debian's googletest source package, built with the
# cross compiler. The programs are the tests of the portable code and the
# platform conformance tests that need nothing but the library; tests that
# use expat, pseudo-terminals or the Linux service manager stay in the Linux
# build. nlohmann-json, the JSON tests' reference, is headers only: the
# cross build takes it from the host through a directory that holds nothing
# else, so no other host header can slip in.
# ZORBEL_GOOGLETEST_SOURCE and ZORBEL_NLOHMANN_DIR are set and checked with
# the other test dependencies (cmake/test_dependencies.cmake).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZORBEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own code is not held to this project's warning switches.
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    target_compile_options(${target} PRIVATE -w)
  endif()
endforeach()

include(${CMAKE_CURRENT_SOURCE_DIR}/test_list.cmake)
zorbel_test_sources(windows ZORBEL_WINDOWS_TEST_SOURCES)

set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
file(CREATE_LINK ${ZORBEL_NLOHMANN_DIR} ${host_headers}/nlohmann SYMBOLIC)

add_library(zorbel_windows_test_support STATIC vxp/scripted_controller.cc testing/xml_rig.cc)
target_include_directories(zorbel_windows_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(zorbel_windows_test_support SYSTEM PUBLIC ${host_headers})
target_link_libraries(zorbel_windows_test_support PUBLIC zorbel_libs zorbel_tools gtest gmock)

set(ZORBEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/prefix CACHE PATH "Wine prefix of the test runs")
foreach(source ${ZORBEL_WINDOWS_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE zorbel_libs zorbel_windows_test_support gtest gmock
                                        gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  # The runtime's localtime_r and the like, which the tests use.
  target_compile_definitions(
    ${name} PRIVATE ZORBEL_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
                    _POSIX_THREAD_SAFE_FUNCTIONS)
  # One CTest test per program: listing a program's tests would start Wine
  # once more for every program at build time.
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 ENVIRONMENT
                                          "WINEPREFIX=${ZORBEL_WINE_PREFIX};WINEDEBUG=-all")
endforeach()
