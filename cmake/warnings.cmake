# Warning flags for every target of the project (not for third-party code
# such as GoogleTest, which is added before these are applied to targets).
set(WB_WARNING_FLAGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
if(WB_WERROR)
  list(APPEND WB_WARNING_FLAGS -Werror)
endif()

# The C++ compiler's flags only: a resource compiler (windres) refuses them.
function(wb_target_warnings target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${WB_WARNING_FLAGS}>)
endfunction()
