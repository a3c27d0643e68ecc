# The presets build in batches (CMAKE_UNITY_BUILD): a target's sources are
# compiled a few at a time as one file, so that the large headers are
# parsed once a batch instead of once a file. A source whose file-local
# names meet another's in the same batch is compiled on its own, here.
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
  # Its files in batches too (the test headers are most of their cost),
  # but for those that share file-local names (kIntMin, kEsc) with another.
  wb_unity_alone(unit_tests
      unit/test_layout_golden_bytes.cpp
      unit/test_layouts_every_model.cpp
      unit/test_simulated_comm.cpp)
endif()
