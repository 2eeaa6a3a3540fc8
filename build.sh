#!/usr/bin/env bash
# Numerella: install what is missing, build, and then start the program or run the tests.
#   ./build.sh run     install, build, start the window
#   ./build.sh test    install, build, run every test through CTest, then the same tests
#                      under AddressSanitizer + UndefinedBehaviorSanitizer and a short run
#                      of every fuzz target (./build.sh test --quick skips those two)
#   ./build.sh bench   install, build, run the benchmarks (see docs/performance.md)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libmuparser-dev
  clang libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-dejavu-core
  desktop-file-utils appstream gnuplot-nox
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B build -G Ninja "$@"
  cmake --build build --parallel
}

# The same tests built with clang, AddressSanitizer, UndefinedBehaviorSanitizer and the
# libFuzzer targets.
sanitized_build() {
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNUMERELLA_SANITIZE=ON -DNUMERELLA_FUZZ=ON -DNUMERELLA_BENCH=OFF
  cmake --build build-asan --parallel
}

case "${1:-}" in
  run)
    install_missing
    build
    exec build/bin/numerella
    ;;
  test)
    install_missing
    build
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir build --output-on-failure --parallel "$(nproc)"
    if [[ "${2:-}" != "--quick" ]]; then
      sanitized_build
      ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"
      fuzz/run.sh build-asan/bin "${FUZZ_SECONDS:-60}"
    fi
    ;;
  bench)
    install_missing
    build
    bench/run.sh
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
