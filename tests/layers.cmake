# The layers hold: a file built with a folder's include path does not find
# a header of a folder above it, nor of the simulator. Each case compiles a
# one-line file on demand and passes when the compiler names that include
# as missing (g++ and clang word it differently); any other outcome, a
# build that goes through above all, fails it.
set(wb_layer_cases
    wrenbolt_config:image/model_table.h
    wrenbolt_serial:config/device_config.h
    wrenbolt_image:file/config_file.h
    wrenbolt_file:exchange/device_exchange.h
    wrenbolt_exchange:plan/hunt_plan.h
    wrenbolt_app:exchange/device_exchange.h
    wrenbolt_plan:cli/cli_options.h
    wrenbolt_plan:wasm/page_session.h
    wrenbolt_page:sim/page_sim_names.h)
foreach(case IN LISTS wb_layer_cases)
  string(REPLACE ":" ";" case "${case}")
  list(GET case 0 library)
  list(GET case 1 header)
  string(REPLACE "/" "_" name "${header}")
  set(test layers_${library}_refuses_${name})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/layer_checks/${test}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
  # The library's include path and those of what it links, straight to the
  # compiler: no build system, no library built.
  add_test(NAME ${test}
      COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
              "-I$<JOIN:$<TARGET_PROPERTY:${library},INTERFACE_INCLUDE_DIRECTORIES>,;-I>" ${source}
      COMMAND_EXPAND_LISTS)
  string(REPLACE "." "\\." pattern "${header}")
  set_tests_properties(${test} PROPERTIES LABELS layers
      PASS_REGULAR_EXPRESSION "${pattern}'?:? (No such file|file not found)")
endforeach()
