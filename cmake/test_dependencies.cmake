# What the tests, benchmarks and fuzz targets build with beyond the
# compiler: GoogleTest, and well-kept parsers used as oracles and
# yardsticks. The programs need none of it. Everything the enabled parts
# need is looked for here, before any target is made, and whatever is
# missing stops the configuration with one message that names the Debian
# packages: a build never fails half-way on a missing header, and a test
# build never quietly leaves tests out.
#
# Found here, for the parts' own CMakeLists:
#   nlohmann_json::nlohmann_json     JSON reference of the tests (Linux)
#   ZORBEL_RAPIDJSON_INCLUDE_DIR     RapidJSON, yardstick of the benchmarks
#   ZORBEL_HTTP_PARSER_INCLUDE_DIR   http-parser, reference of a fuzz target
#   ZORBEL_HTTP_PARSER_LIBRARY
#   ZORBEL_GOOGLETEST_SOURCE         GoogleTest sources (Windows cross build)
#   ZORBEL_NLOHMANN_DIR              nlohmann-json headers on the host (idem)
#   ZORBEL_PYTHON                    Debian's python3, for the tests' Python oracles

set(zorbel_missing "")
macro(zorbel_require found package what)
  if(NOT ${found})
    string(APPEND zorbel_missing "\n  ${package}: ${what}")
  endif()
endmacro()

if(ZORBEL_BUILD_TESTS AND ZORBEL_WINDOWS_TESTS)
  # GoogleTest is built from source by the cross compiler; nlohmann-json is
  # headers only and taken from the host.
  set(ZORBEL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(ZORBEL_NLOHMANN_DIR /usr/include/nlohmann CACHE PATH "nlohmann-json headers on the host")
  if(EXISTS ${ZORBEL_GOOGLETEST_SOURCE}/CMakeLists.txt)
    set(zorbel_googletest_source_found ON)
  else()
    set(zorbel_googletest_source_found OFF)
  endif()
  if(EXISTS ${ZORBEL_NLOHMANN_DIR}/json.hpp)
    set(zorbel_nlohmann_dir_found ON)
  else()
    set(zorbel_nlohmann_dir_found OFF)
  endif()
  zorbel_require(zorbel_googletest_source_found googletest
                 "GoogleTest sources in ${ZORBEL_GOOGLETEST_SOURCE} (ZORBEL_GOOGLETEST_SOURCE)")
  zorbel_require(zorbel_nlohmann_dir_found nlohmann-json3-dev
                 "nlohmann/json.hpp in ${ZORBEL_NLOHMANN_DIR} (ZORBEL_NLOHMANN_DIR)")
elseif(ZORBEL_BUILD_TESTS)
  find_package(GTest QUIET)
  zorbel_require(GTest_FOUND libgtest-dev "GoogleTest, the unit tests' framework")
  find_package(EXPAT QUIET)
  zorbel_require(EXPAT_FOUND libexpat1-dev "expat, reference parser of the XML tests")
  find_package(nlohmann_json 3 CONFIG QUIET)
  zorbel_require(nlohmann_json_FOUND nlohmann-json3-dev "nlohmann-json, reference of the JSON tests")
  # Debian's Python, whose packages the tests use (a python3 earlier in the
  # search path, such as a pyenv shim, does not see them).
  find_program(ZORBEL_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  find_program(ZORBEL_PYTHON python3)
  foreach(module jsonschema prometheus_client)
    execute_process(COMMAND ${ZORBEL_PYTHON} -c "import ${module}"
                    RESULT_VARIABLE zorbel_module_rc OUTPUT_QUIET ERROR_QUIET)
    if(zorbel_module_rc EQUAL 0)
      set(zorbel_${module}_found ON)
    else()
      set(zorbel_${module}_found OFF)
    endif()
  endforeach()
  zorbel_require(zorbel_jsonschema_found python3-jsonschema
                 "Python's jsonschema, validator of the command schema's test")
  zorbel_require(zorbel_prometheus_client_found python3-prometheus-client
                 "Prometheus' Python client, parser of the metrics page's test")
  find_path(ZORBEL_HTTP_PARSER_INCLUDE_DIR http_parser.h)
  find_library(ZORBEL_HTTP_PARSER_LIBRARY http_parser)
  if(ZORBEL_HTTP_PARSER_INCLUDE_DIR AND ZORBEL_HTTP_PARSER_LIBRARY)
    set(zorbel_http_parser_found ON)
  else()
    set(zorbel_http_parser_found OFF)
  endif()
  zorbel_require(zorbel_http_parser_found libhttp-parser-dev
                 "http-parser, reference of the command page's answers")
endif()

if(ZORBEL_BUILD_BENCH)
  find_package(benchmark QUIET)
  zorbel_require(benchmark_FOUND libbenchmark-dev "Google Benchmark, the benchmarks' framework")
  find_path(ZORBEL_RAPIDJSON_INCLUDE_DIR rapidjson/reader.h)
  zorbel_require(ZORBEL_RAPIDJSON_INCLUDE_DIR rapidjson-dev
                 "RapidJSON, yardstick of the document benchmark")
endif()

if(ZORBEL_FUZZ)
  find_path(ZORBEL_HTTP_PARSER_INCLUDE_DIR http_parser.h)
  find_library(ZORBEL_HTTP_PARSER_LIBRARY http_parser)
  if(ZORBEL_HTTP_PARSER_INCLUDE_DIR AND ZORBEL_HTTP_PARSER_LIBRARY)
    set(zorbel_http_parser_found ON)
  else()
    set(zorbel_http_parser_found OFF)
  endif()
  zorbel_require(zorbel_http_parser_found libhttp-parser-dev
                 "http-parser, reference of the HTTP head fuzz target")
  # libFuzzer comes with clang's runtime libraries.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
    set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
    check_cxx_source_compiles(
      "#include <cstddef>
       #include <cstdint>
       extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }"
      ZORBEL_HAVE_LIBFUZZER)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    zorbel_require(ZORBEL_HAVE_LIBFUZZER libclang-rt-14-dev "libFuzzer, clang's fuzzing runtime")
    # Looked for again at the next configuration, once it is installed.
    if(NOT ZORBEL_HAVE_LIBFUZZER)
      unset(ZORBEL_HAVE_LIBFUZZER CACHE)
    endif()
  else()
    string(APPEND zorbel_missing
           "\n  clang: the fuzz targets are built with clang (CC=clang CXX=clang++ cmake ...)")
  endif()
endif()

if(zorbel_missing)
  if(ZORBEL_WINDOWS_TESTS)
    set(zorbel_install "bash scripts/install-deps.sh --windows")
  else()
    set(zorbel_install "bash scripts/install-deps.sh")
  endif()
  set(zorbel_programs_only "-DZORBEL_BUILD_TESTS=OFF -DZORBEL_BUILD_BENCH=OFF")
  if(ZORBEL_FUZZ)
    string(APPEND zorbel_programs_only " -DZORBEL_FUZZ=OFF")
  endif()
  message(
    FATAL_ERROR
      "The tests, benchmarks or fuzz targets need what this machine lacks "
      "(Debian package: what it is):${zorbel_missing}\n"
      "Install the packages with `${zorbel_install}` (as root; it installs "
      "every package the builds use), or build the programs alone, which "
      "need nothing but a compiler and CMake: ${zorbel_programs_only}")
endif()
