# The presets build each target as one file (CMAKE_UNITY_BUILD, batch size
# 0): the large headers (CLI11, the JSON library, GoogleTest) are parsed
# and their templates compiled once a target instead of once a file, which
# takes about a third less time than batches of eight. A source whose
# file-local names meet another's is compiled on its own, here.
function(wb_unity_alone target)
  get_target_property(dir ${target} SOURCE_DIR)
  foreach(source ${ARGN})
    set_source_files_properties(${dir}/${source} TARGET_DIRECTORY ${target}
        PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endforeach()
endfunction()

# The two layouts name their own fields alike (kSpeed, kToneStep, ...).
wb_unity_alone(wrenbolt_image image/tarsel_layout.cpp)

if(WB_WEB)
  # Its own "input" and "result" against module_buffers.cpp's.
  wb_unity_alone(wrenbolt-config module_plan.cpp)
  return()
endif()

if(WB_BUILD_TESTS)
  # Its files as one too (the test headers are most of their cost), but
  # for those that share file-local names (kIntMin, kEsc) with another.
  wb_unity_alone(unit_tests
      unit/test_layout_golden_bytes.cpp
      unit/test_layouts_every_model.cpp
      unit/test_simulated_comm.cpp)
endif()
