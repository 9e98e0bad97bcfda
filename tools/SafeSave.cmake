# Kills a program saving real edits at random moments and checks what each
# kill left (tools/KillLoop.cpp); times Save with and without backups and the
# flushed save of a one-node edit (tools/SaveBenchmark.cpp).
add_executable(KillLoop tools/KillLoop.cpp)
target_include_directories(KillLoop PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(KillLoop PRIVATE vellora_store vellora_appbase)

add_executable(SaveBenchmark tools/SaveBenchmark.cpp)
target_include_directories(SaveBenchmark PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(SaveBenchmark PRIVATE vellora_store vellora_appbase)
