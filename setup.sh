#!/usr/bin/env bash
# Somnara's set-up: installs the Debian/Ubuntu packages that are missing, configures and
# builds, then either starts the program or runs the whole test suite headless.
#
#   ./setup.sh run               build and start Somnara
#   ./setup.sh test              build and run every test
#   ./setup.sh test --sanitize   the same, built with AddressSanitizer and UBSan
#   ./setup.sh test --repeat N [PATTERN]
#                                build, then run the unit tests N times in a row on a busy
#                                machine (only those PATTERN matches, if given) and report
#                                every test that ever failed
#   ./setup.sh test --tsan       the unit tests built with ThreadSanitizer, any report failing
#                                the test it comes from (tests/tsan.supp lists what is excused)
#   ./setup.sh fuzz [SECONDS]    fuzz the movie reader (default 60 s) from the sample movies
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
variant=${2:-}
case "$mode" in
  run|test|fuzz) ;;
  *) echo "usage: ./setup.sh run | test [--sanitize | --tsan | --repeat N [PATTERN]] | fuzz [SECONDS]" >&2; exit 2 ;;
esac
if [ "$variant" = --repeat ] && ! [[ "${3:-}" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: ./setup.sh test --repeat N [PATTERN], N a whole number of rounds" >&2
  exit 2
fi

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
                zlib1g-dev liblzma-dev libglib2.0-dev libxcb1-dev libxcb-shm0-dev libxcb-screensaver0-dev libgtest-dev
                libbenchmark-dev)
# Qt's display plug-ins: X11, and native Wayland for Wayland sessions.
run_packages=(qt6-qpa-plugins qt6-wayland fonts-dejavu-core)
# The suite also drives the real program under a virtual X server and a headless Wayland
# compositor, and checks the Debian package as Debian does; stand-ins for the desktop's idle
# inhibition services answer on the test's own session bus.
test_packages=(xvfb xauth xdotool xclip x11-utils imagemagick python3 python3-pyatspi at-spi2-core
               dbus-x11 python3-dbus python3-gi weston faketime desktop-file-utils appstream dpkg-dev file
               man-db lintian)

fuzz_packages=(clang libclang-rt-14-dev)

wanted=("${build_packages[@]}" "${run_packages[@]}")
[ "$mode" = test ] && wanted+=("${test_packages[@]}")
[ "$mode" = fuzz ] && wanted+=("${fuzz_packages[@]}")

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = fuzz ]; then
  seconds=${variant:-60}
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSOMNARA_FUZZ=ON
  cmake --build build-fuzz --parallel "$(nproc)"
  corpus=build-fuzz/corpus
  mkdir -p "$corpus"
  # Findings (crash-*, timeout-*, oom-*) land in build-fuzz/ and fail the run. An input may
  # take about a second and 512 MB, as a movie may in the program: past that it could freeze
  # the player or flood its memory.
  # AddressSanitizer's quarantine of freed memory is its own, not the player's: kept small, it
  # leaves the memory allowance to what the player holds.
  ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16} \
    exec build-fuzz/fuzz/swf_fuzzer -max_total_time="$seconds" -timeout=1 -rss_limit_mb=512 \
    -max_len=262144 -artifact_prefix=build-fuzz/ -print_final_stats=1 \
    "$corpus" tests/data/swf-conformance build-fuzz/hostile
fi

build_dir=build
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "$variant" = --sanitize ]; then
  build_dir=build-sanitize
  cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DSOMNARA_SANITIZE=ON -DSOMNARA_BUILD_BENCH=OFF)
elif [ "$variant" = --tsan ]; then
  build_dir=build-tsan
  cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DSOMNARA_TSAN=ON -DSOMNARA_BUILD_BENCH=OFF)
  # Every report is printed, and the test it comes from then fails with status 66.
  export TSAN_OPTIONS="halt_on_error=0 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
fi
# CI holds the build to a warning-free standard. It runs each program once and reads no
# variable in a debugger: line tables, all a sanitizer's report or a profile needs, build in
# a sixth to a quarter less time than full debugging information.
[ "${CI:-}" = true ] && cmake_args+=(-DSOMNARA_WERROR=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
                                     -DCMAKE_CXX_FLAGS_DEBUG="-g1")

cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" --parallel "$(nproc)"

if [ "$mode" = run ]; then
  exec "$build_dir/bin/somnara"
fi

export QT_QPA_PLATFORM=offscreen
if [ "$variant" = --repeat ]; then
  exec tools/repeat_tests.sh "$build_dir" "$3" "${4:-}"
fi
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
