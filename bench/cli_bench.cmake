# mp4avi-cli against FFmpeg run directly, and --jobs 1 against --jobs 2:
#   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DMCONV_BUILD_BENCH=ON -DMCONV_BUILD_UI=OFF
#   cmake --build build-bench --target cli_bench
add_custom_target(cli_bench
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/cli_bench.sh $<TARGET_FILE:mp4avi-cli>
    DEPENDS mp4avi-cli
    USES_TERMINAL
    COMMENT "Converting eight 10-second clips with mp4avi-cli and with FFmpeg directly")
