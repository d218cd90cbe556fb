# The trace generator library, used by the benchmarks and by the command-line tool's tests
# (which are built also when the benchmarks are not).
include_guard(GLOBAL)
add_library(velquor_tracegen STATIC ${CMAKE_CURRENT_LIST_DIR}/CTraceGenerator.cpp)
target_include_directories(velquor_tracegen PUBLIC ${CMAKE_CURRENT_LIST_DIR})
