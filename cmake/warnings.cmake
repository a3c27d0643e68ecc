# Warning flags for every target of the project (not for third-party code
# such as GoogleTest, which is added before these are applied to targets).
set(WB_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
if(WB_WERROR)
  list(APPEND WB_WARNING_FLAGS -Werror)
endif()

function(wb_target_warnings target)
  target_compile_options(${target} PRIVATE ${WB_WARNING_FLAGS})
endfunction()

# A static library from a globbed list that may still be empty while a
# subsystem is being written: an empty list gives an interface library.
function(wb_add_library name)
  set(sources ${ARGN})
  if(sources)
    add_library(${name} STATIC ${sources})
    wb_target_warnings(${name})
  else()
    add_library(${name} INTERFACE)
  endif()
endfunction()

function(wb_link name)
  get_target_property(type ${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

function(wb_include name dir)
  get_target_property(type ${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${dir})
  else()
    target_include_directories(${name} PUBLIC ${dir})
  endif()
endfunction()
