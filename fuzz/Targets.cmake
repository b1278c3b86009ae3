# The fuzz targets, each fuzz/<name>.cpp with LLVMFuzzerTestOneInput. Used by
# the fuzz build (fuzz/CMakeLists.txt) and by the regression replay tests
# (tests/fuzzreplay), so both build the same list.
set(SKINEDIT_FUZZ_TARGETS
    fuzz_ini
    fuzz_colour_text
    fuzz_bitmap
    fuzz_jpeg
    fuzz_language
    fuzz_movie
    fuzz_windows
)
