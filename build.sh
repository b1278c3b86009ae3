#!/usr/bin/env bash
# The editor's one entry point.
#   ./build.sh run    install what is missing, build a release, lay out the
#                     sample skin beside the executable and start the editor
#   ./build.sh test   install what is missing, build with AddressSanitizer and
#                     UndefinedBehaviorSanitizer and run every test through ctest
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev libjpeg62-turbo-dev libsndfile1-dev libmpg123-dev
                libsdl2-dev zlib1g-dev liblzma-dev fonts-dejavu-core fonts-liberation)
TEST_PACKAGES=(xvfb xauth xdotool imagemagick x11-utils clang libclang-rt-14-dev
               clang-format clang-tidy)

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

job_count() { nproc 2>/dev/null || echo 2; }

case "${1:-}" in
run)
    install_packages "${BUILD_PACKAGES[@]}"
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSKINEDIT_BUILD_TESTS=OFF
    cmake --build build/release -j "$(job_count)"
    exec build/release/program/skinedit
    ;;
test)
    install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DSKINEDIT_SANITIZE=ON
    cmake --build build/test -j "$(job_count)"
    # Every fuzz target for about 20 seconds (clang builds them in build/fuzz);
    # a failure is reported after the tests, which run regardless.
    fuzz_status=0
    if command -v clang++ >/dev/null; then fuzz/run.sh 20 || fuzz_status=$?; fi
    tools/check-format.sh
    tools/check-layers.sh
    # clang-tidy takes about twelve minutes on two cores: CI runs it here,
    # anyone else with `tools/run-clang-tidy.sh build/test`.
    if [ -n "${CI:-}" ]; then tools/run-clang-tidy.sh build/test; fi
    cd build/test
    ctest --output-on-failure -j "$(job_count)"
    [ "$fuzz_status" -eq 0 ] || { echo "Fuzzing failed (see the fuzz: lines above)" >&2; exit 1; }
    ;;
*)
    echo "usage: ./build.sh run | ./build.sh test" >&2
    exit 2
    ;;
esac
