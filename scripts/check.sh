#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the whole suite, the core
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of every
# fuzz target.
source "$(dirname "$0")/common.sh"
install_packages
export CTEST_OUTPUT_ON_FAILURE=1

configure_and_build build
(cd "$TOP/build" && ctest -j "$JOBS" --timeout 600)

configure_and_build build-asan -DTAVI_WITH_QT=OFF -DTAVI_BENCH=OFF -DTAVI_SANITIZE=ON
(cd "$TOP/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j "$JOBS" --timeout 900)

configure_and_build build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVI_WITH_QT=OFF -DTAVI_TESTS=OFF -DTAVI_BENCH=OFF -DTAVI_FUZZ=ON
(cd "$TOP/build-fuzz" && ctest -j "$JOBS" --timeout 600)
echo "All tests passed."
