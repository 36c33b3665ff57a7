# Every test program: its source under tests/ (one program per source file,
# named after it, so failures are easy to find and CTest runs them in
# parallel) and where it runs:
#   portable  the Linux build, and the Windows cross build under Wine
#   linux     the Linux build only (pseudo-terminals, expat, systemd, the
#             built program, the Linux layer's own tests)
#   windows   the Windows build only (the Windows layer's own tests)
# Both tests/CMakeLists.txt and tests/windows.cmake read this list.
set(ZORBEL_TEST_PROGRAMS
    "app/browser_origin_test.cc                    linux"
    "app/command_page_test.cc                      linux"
    "app/config_test.cc                            portable"
    "app/http_bridge_faults_test.cc                linux"
    "app/http_bridge_test.cc                       linux"
    "app/http_front_door_test.cc                   linux"
    "app/program_process_test.cc                   linux"
    "app/program_test.cc                           linux"
    "app/service_body_test.cc                      linux"
    "source_text_test.cc                           linux"
    "tools/hand_framed_packets_test.cc             linux"
    "tools/zorbel_cli_catalog_test.cc              portable"
    "tools/zorbel_cli_convert_test.cc              portable"
    "tools/zorbel_cli_send_raw_test.cc             linux"
    "tools/zorbel_emulator_controller_test.cc      portable"
    "vxb/common/base/ascii_test.cc                 portable"
    "vxb/common/base/containers_test.cc            portable"
    "vxb/common/base/datetime_test.cc              portable"
    "vxb/common/base/fixed_test.cc                 portable"
    "vxb/common/base/simple_string_test.cc         portable"
    "vxb/common/format/html_test.cc                portable"
    "vxb/common/format/json_reader_test.cc         portable"
    "vxb/common/format/json_writer_test.cc         portable"
    "vxb/common/format/mime_test.cc                portable"
    "vxb/common/format/xml_generic_test.cc         linux"
    "vxb/common/format/xml_reader_test.cc          portable"
    "vxb/common/format/xml_writer_test.cc          portable"
    "vxb/common/http/http_server_test.cc           portable"
    "vxb/common/http/httpd_gate_test.cc            portable"
    "vxb/common/http/httpd_ip_acl_test.cc          portable"
    "vxb/common/http/httpd_page_values_xml_test.cc linux"
    "vxb/common/http/httpd_request_test.cc         portable"
    "vxb/common/io/debug_transport_tcp_test.cc     portable"
    "vxb/common/io/driver_test.cc                  portable"
    "vxb/common/io/encoded_char_reader_test.cc     portable"
    "vxb/common/io/encoded_string_writer_test.cc   portable"
    "vxb/common/io/memory_driver_test.cc           portable"
    "vxb/common/io/network_test.cc                 portable"
    "vxb/common/runtime/debug_test.cc              portable"
    "vxb/common/runtime/error_test.cc              portable"
    "vxb/common/runtime/file_test.cc               portable"
    "vxb/common/runtime/log_concurrency_test.cc    portable"
    "vxb/common/runtime/log_test.cc                portable"
    "vxb/common/runtime/sync_test.cc               portable"
    "vxb/common/runtime/system_test.cc             portable"
    "vxb/common/runtime/thread_state_test.cc       portable"
    "vxb/common/runtime/thread_test.cc             portable"
    "vxb/common/text/charset_test.cc               portable"
    "vxb/common/text/fields_test.cc                portable"
    "vxb/posix/debug_transport_env_test.cc         linux"
    "vxb/posix/file_system_test.cc                 linux"
    "vxb/posix/gadget_tools_test.cc                linux"
    "vxb/posix/pseudo_terminal_test.cc             linux"
    "vxb/posix/serial_port_test.cc                 linux"
    "vxb/posix/service_test.cc                     linux"
    "vxb/posix/systemd_test.cc                     linux"
    "vxb/windows/console_windows_test.cc           windows"
    "vxb/windows/file_system_windows_test.cc       windows"
    "vxb/windows/serial_port_windows_test.cc       windows"
    "vxb/windows/service_windows_test.cc           windows"
    "vxp/argentina/bits_rg3561_test.cc             portable"
    "vxp/argentina/commands_rg3561_test.cc         portable"
    "vxp/argentina/enums_rg3561_test.cc            portable"
    "vxp/argentina/fields_rg3561_test.cc           portable"
    "vxp/command_reference_test.cc                 linux"
    "vxp/answer_journal_test.cc                    linux"
    "vxp/command_core_test.cc                      portable"
    "vxp/driver_conformance_test.cc                portable"
    "vxp/format2packet_test.cc                     portable"
    "vxp/packet_exchange_test.cc                   portable"
    "vxp/packet_framing_test.cc                    portable"
    "vxp/protocol_test.cc                          portable"
    "vxp/vardex_data_container_test.cc             portable"
    "vxp/vxp_errno_test.cc                         portable"
    "vxp/xml_round_trip_test.cc                    portable"
    "vxp/zorbel_documents_test.cc                  portable")

# Helpers shared by the tests (simulated devices, clients and the like).
set(ZORBEL_TEST_SUPPORT_SOURCES
    testing/fake_service_manager.cc
    testing/http_client.cc
    testing/xml_rig.cc
    vxp/scripted_controller.cc)

# The sources of the programs that run where Where says ("linux" or
# "windows"), into the variable named by Out.
function(zorbel_test_sources Where Out)
  set(sources)
  foreach(entry ${ZORBEL_TEST_PROGRAMS})
    string(REGEX REPLACE " +" ";" fields "${entry}")
    list(GET fields 0 source)
    list(GET fields 1 label)
    if(label STREQUAL "portable" OR label STREQUAL Where)
      list(APPEND sources ${source})
    endif()
  endforeach()
  set(${Out} ${sources} PARENT_SCOPE)
endfunction()
