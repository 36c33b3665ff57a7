# Tests of the Windows cross build, run under Wine (scripts/test-windows.sh).
#
# GoogleTest comes from Debian's googletest source package, built with the
# cross compiler. The programs are the tests of the portable code and the
# platform conformance tests that need nothing but the library; tests that
# use expat, pseudo-terminals or the Linux service manager stay in the Linux
# build. nlohmann-json, the JSON tests' reference, is headers only: the
# cross build takes it from the host through a directory that holds nothing
# else, so no other host header can slip in.
set(ZORBEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ZORBEL_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own code is not held to this project's warning switches.
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    target_compile_options(${target} PRIVATE -w)
  endif()
endforeach()

set(ZORBEL_WINDOWS_TEST_SOURCES
    vxb/common/ascii_test.cc
    vxb/common/charset_test.cc
    vxb/common/containers_test.cc
    vxb/common/datetime_test.cc
    vxb/common/driver_test.cc
    vxb/common/encoded_char_reader_test.cc
    vxb/common/encoded_string_writer_test.cc
    vxb/common/error_test.cc
    vxb/common/fields_test.cc
    vxb/common/file_test.cc
    vxb/common/fixed_test.cc
    vxb/common/html_test.cc
    vxb/common/httpd_ip_acl_test.cc
    vxb/common/memory_driver_test.cc
    vxb/common/mime_test.cc
    vxb/common/simple_string_test.cc
    vxb/common/thread_state_test.cc
    vxb/common/log_test.cc
    vxb/common/debug_test.cc
    vxb/posix/sync_test.cc
    vxb/posix/thread_test.cc
    vxb/posix/system_test.cc
    vxb/posix/network_test.cc
    vxp/packet_exchange_test.cc
    vxp/packet_framing_test.cc
    vxp/protocol_test.cc
    vxp/vardex_data_container_test.cc
    vxp/vxp_errno_test.cc
    vxp/zorbel_documents_test.cc
    vxp/command_core_test.cc
    vxb/common/http_server_test.cc
    vxb/common/httpd_request_test.cc
    vxb/common/debug_transport_tcp_test.cc
    app/config_test.cc
    tools/zorbel_cli_catalog_test.cc
    tools/zorbel_emulator_controller_test.cc
    vxp/driver_conformance_test.cc
    vxb/common/xml_reader_test.cc
    vxb/common/xml_writer_test.cc
    vxb/common/json_reader_test.cc
    vxb/common/json_writer_test.cc
    vxb/common/log_concurrency_test.cc
    vxp/format2packet_test.cc
    vxp/xml_round_trip_test.cc
    vxp/argentina/bits_rg3561_test.cc
    vxp/argentina/commands_rg3561_test.cc
    vxp/argentina/enums_rg3561_test.cc
    vxp/argentina/fields_rg3561_test.cc
    tools/zorbel_cli_convert_test.cc)
file(GLOB ZORBEL_WINDOWS_EXTRA_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/vxb/windows/*_test.cc)

set(ZORBEL_NLOHMANN_DIR /usr/include/nlohmann CACHE PATH "nlohmann-json headers on the host")
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
file(CREATE_LINK ${ZORBEL_NLOHMANN_DIR} ${host_headers}/nlohmann SYMBOLIC)

add_library(zorbel_windows_test_support STATIC vxp/scripted_controller.cc testing/xml_rig.cc)
target_include_directories(zorbel_windows_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(zorbel_windows_test_support SYSTEM PUBLIC ${host_headers})
target_link_libraries(zorbel_windows_test_support PUBLIC zorbel_libs zorbel_tools gtest gmock)

set(ZORBEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/prefix CACHE PATH "Wine prefix of the test runs")
foreach(source ${ZORBEL_WINDOWS_TEST_SOURCES} ${ZORBEL_WINDOWS_EXTRA_TESTS})
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
