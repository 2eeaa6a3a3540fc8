#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Numerella on Debian 12 (bookworm) or 13 (trixie): install the Debian packages that are
# missing, build, then start the program or run the tests.
#   ./build.sh run            install what building and running need, build, start the window
#   ./build.sh test           install the test tools too, build with warnings as errors and run
#                             every test through CTest; check the formatting (clang-format);
#                             build the Release configuration with Debian's hardening flags,
#                             make both Debian packages, check them with lintian, unpack them
#                             into a scratch root and run both programs from there; then the
#                             tests again under AddressSanitizer + UndefinedBehaviorSanitizer
#                             and a short run of every fuzz target (FUZZ_SECONDS, default 60)
#   ./build.sh test --quick   the tests and the formatting check only
#   ./build.sh test --tidy    adds clang-tidy over every source file (.clang-tidy; slow)
#   ./build.sh test --debian13  ends with the quick suite in a fresh Debian 13 root (as root;
#                             with CI=true the whole test command does so too)
#   ./build.sh debian13       that Debian 13 stage alone
#   ./build.sh tidy           clang-tidy alone
#   ./build.sh package        the two Debian packages, in build-deb/
#   ./build.sh bench          install the benchmark tools, build, run the benchmarks
# With CI=true (as .ci/run is run) formatting differences fail the test command; elsewhere
# they are counted and listed.
set -euo pipefail
invocation="$0 $*"
cd "$(dirname "$0")"

# What building and running need. qt6-base-dev brings the OpenGL headers Qt's CMake files
# look for; qt6-translations-l10n gives the standard dialogs their Italian texts; libcups2-dev
# lets the program ask the print system about its printers and jobs with a time limit;
# libreadline-dev gives numerella-eval line editing and history at the terminal.
RUN_PACKAGES=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core
  nlohmann-json3-dev libreadline-dev
  libcups2-dev
)

# What ./build.sh test adds, one line per use. The names exist on Debian 12 and 13; clang
# and libclang-rt-dev are the distribution's default LLVM, so their versions match.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev                  # the GoogleTest suites
  zlib1g-dev                                 # the recorded compiler outputs (gzip)
  clang libclang-rt-dev                      # sanitizer build and libFuzzer targets
  clang-format clang-tidy                    # formatting check, ./build.sh tidy
  dpkg-dev lintian                           # packages: dpkg-buildflags, dpkg-shlibdeps, lintian
  desktop-file-utils appstream               # desktop entry and metainfo validators
  shared-mime-info libxml2-utils             # MIME type file: update-mime-database, xmllint
  cups printer-driver-cups-pdf poppler-utils # printing to a PDF printer, pdftotext
  util-linux                                 # setpriv (dropping root in tests)
  acl attr                                   # setfacl, setfattr (access kept by a save)
  python3                                    # silent print server, page check, socket rows
  # xvfb <small window manager>              # only if a test needs a real X display
)

# What ./build.sh bench adds (the muparser library is the peer the benchmarks compare with).
BENCH_PACKAGES=(
  libbenchmark-dev libmuparser-dev gnuplot-nox python3
)

# Installs the named packages that are not installed yet. Without root or sudo, prints the
# command to run and stops.
install_missing() {
  local -A installed=()
  local name missing=()
  while read -r name; do
    installed[$name]=1
  done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "$@" 2>/dev/null |
           awk '$1 == "ii" { print $2 }')
  for name in "$@"; do
    [[ -n ${installed[$name]:-} ]] || missing+=("$name")
  done
  ((${#missing[@]})) || return 0

  local apt=(apt-get -o DPkg::Lock::Timeout=600 -q)
  local install=("${apt[@]}" install -y --no-install-recommends "${missing[@]}")
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null; then
      echo "Numerella needs these Debian packages, which are not installed:" >&2
      echo "  ${missing[*]}" >&2
      echo "Install them as root, then run $invocation again:" >&2
      echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${apt[@]}" update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}"
}

# The compiler cache, when it is installed.
if [[ -z ${CMAKE_CXX_COMPILER_LAUNCHER:-} ]] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# Configures a build folder when it is new or an option given differs from its cache, then
# builds (a second run with nothing changed takes a moment).
#   configure_and_build <folder> <targets, or "all"> <cmake -DNAME=VALUE options>...
configure_and_build() {
  local dir=$1 targets=$2 option configure=false
  shift 2
  if [[ ! -f $dir/CMakeCache.txt ]]; then
    configure=true
  else
    for option in "$@"; do
      option=${option#-D}
      grep -q -x -F -e "${option%%=*}:BOOL=${option#*=}" -e "${option%%=*}:STRING=${option#*=}" \
        -e "${option%%=*}:UNINITIALIZED=${option#*=}" "$dir/CMakeCache.txt" || configure=true
    done
  fi
  if [[ $configure == true ]]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
  if [[ $targets == all ]]; then
    cmake --build "$dir" --parallel
  else
    # shellcheck disable=SC2086  # a list of target names
    cmake --build "$dir" --parallel --target $targets
  fi
}

# The project's own test build: every warning is an error.
test_build() {
  configure_and_build build all -DBUILD_TESTING=ON -DNUMERELLA_WERROR=ON
  QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "$(nproc)"
}

# Lists the project's C++ files under the given folders (git's list, or the folders' files
# in an unpacked source archive).
cpp_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -- "${@/%//*.cpp}" "${@/%//*.h}"
  else
    find "$@" -name '*.cpp' -o -name '*.h' | sort
  fi
}

# Every C++ file of the project is formatted as .clang-format says.
format_check() {
  local files unformatted=()
  mapfile -t files < <(cpp_files src apps tests bench fuzz data)
  mapfile -t unformatted < <(printf '%s\0' "${files[@]}" | xargs -0 -n 16 -P "$(nproc)" sh -c \
    'for f; do clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh | sort)
  if ((${#unformatted[@]})); then
    echo "clang-format: ${#unformatted[@]} of ${#files[@]} files differ from .clang-format:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "  (clang-format -i FILE... formats them)" >&2
    [[ ${CI:-} == true ]] && return 1
  else
    echo "clang-format: all ${#files[@]} files formatted"
  fi
  return 0
}

# The Release configuration built with the flags a Debian packager uses (dpkg-buildflags with
# every hardening feature: fortify, stack protector, relro, bindnow), without the tests, and
# the two Debian packages made from it. Extra arguments are CMake options.
package_build() {
  local cxxflags ldflags
  cxxflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
  cxxflags+=" $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
  ldflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
  configure_and_build build-deb all -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DNUMERELLA_BENCH=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@"
  rm -f build-deb/*.deb
  (cd build-deb && cpack -G DEB >/dev/null)
  ls -l build-deb/*.deb
}

# Checks the packages: lintian (no error, no warning; notes shown), the metainfo at its most
# pedantic, the dependencies, then both programs run from the unpacked packages.
package_check() {
  local window eval_deb root
  window=$(echo build-deb/numerella_*.deb)
  eval_deb=$(echo build-deb/numerella-eval_*.deb)
  lintian --fail-on error,warning --display-info "$window" "$eval_deb"
  echo "lintian: no error, no warning"
  appstreamcli validate --pedantic --no-net data/org.numerella.numerella.metainfo.xml
  echo "numerella depends on: $(dpkg-deb -f "$window" Depends)"
  echo "numerella-eval depends on: $(dpkg-deb -f "$eval_deb" Depends)"
  if dpkg-deb -f "$eval_deb" Depends | grep -q -i qt; then
    echo "numerella-eval must not depend on Qt" >&2
    return 1
  fi
  root=$(mktemp -d)
  trap 'rm -rf "$root"; trap - RETURN' RETURN
  dpkg -x "$window" "$root"
  dpkg -x "$eval_deb" "$root"
  local answer expected
  answer=$("$root/usr/bin/numerella-eval" '2*(3+4)^2') || true
  if [[ $answer != 98 ]]; then
    echo "numerella-eval from the package: 2*(3+4)^2 gave '$answer', not 98" >&2
    return 1
  fi
  echo "numerella-eval from the package: 2*(3+4)^2 = 98"
  expected=$(sed -n 's/^project(Numerella VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  answer=$(QT_QPA_PLATFORM=offscreen timeout 30 "$root/usr/bin/numerella" --version 2>/dev/null) ||
    true
  if [[ $answer != *"$expected"* ]]; then
    echo "numerella --version from the package did not print $expected and exit" \
      "(got '$answer')" >&2
    return 1
  fi
  echo "numerella --version from the package: $answer"
  # Their dependencies can be installed here (a simulation; nothing is changed).
  apt-get -s -q install "./$window" "./$eval_deb" >/dev/null
}

# clang-tidy over the project's sources with the checks in .clang-tidy, in the test build's
# compile commands (GCC's; clang ignores the warning options it lacks).
tidy() {
  configure_and_build build all -DBUILD_TESTING=ON -DNUMERELLA_WERROR=ON
  local files
  mapfile -t files < <(cpp_files src apps | grep '\.cpp$')
  if ! run-clang-tidy -quiet -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option -p build \
      "${files[@]}" >build/clang-tidy.log 2>&1; then
    sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy.log | grep -E -A3 "(warning|error):" >&2 || true
    echo "clang-tidy: findings above (all of build/clang-tidy.log)" >&2
    return 1
  fi
  echo "clang-tidy: ${#files[@]} files clean"
}

# The same tests built with clang, AddressSanitizer, UndefinedBehaviorSanitizer and the
# libFuzzer targets.
sanitized_tests() {
  CC=clang CXX=clang++ configure_and_build build-asan all -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNUMERELLA_SANITIZE=ON -DNUMERELLA_FUZZ=ON -DNUMERELLA_BENCH=OFF -DNUMERELLA_WERROR=ON
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"
  fuzz/run.sh build-asan/bin "${FUZZ_SECONDS:-60}"
}

# The quick suite (CI=true passed on) once more in a fresh Debian 13 (trixie) root, made with
# mmdebstrap (debootstrap when mmdebstrap cannot) with the run and test packages, from a copy
# of the checked-in files; /proc, /dev, /sys, /tmp and /run are mounted in a mount and PID
# namespace of its own, so that they and every process left running vanish with it. Needs
# root. The root is removed at the end; with DEBIAN13_KEEP=1 it stays in
# /var/tmp/numerella-debian13 and a later run reuses it and its build folder.
debian13_stage() {
  if grep -q '^VERSION_CODENAME=trixie' /etc/os-release 2>/dev/null; then
    echo "Debian 13 stage: this system is Debian 13 already; skipped"
    return 0
  fi
  if [[ $(id -u) -ne 0 ]]; then
    echo "Debian 13 stage: needs root (it makes a Debian 13 root and runs the tests in it" \
      "with chroot)" >&2
    return 1
  fi
  if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "Debian 13 stage: needs a git checkout (it copies the files git knows)" >&2
    return 1
  fi
  local root packages start mirror=()
  # The tools' own default mirror unless DEBIAN13_MIRROR names another.
  [[ -n ${DEBIAN13_MIRROR:-} ]] && mirror=("$DEBIAN13_MIRROR")
  if [[ ${DEBIAN13_KEEP:-} == 1 ]]; then
    root=/var/tmp/numerella-debian13
  else
    root=$(mktemp -d /var/tmp/numerella-debian13.XXXXXX)
    # shellcheck disable=SC2064  # the folder of this run
    trap "rm -rf --one-file-system '$root' '$root.log'" EXIT
  fi
  if [[ ! -f $root/.numerella-root ]]; then
    rm -rf --one-file-system "$root" && mkdir -p -m 755 "$root"
    start=$SECONDS
    packages=$(IFS=,; echo "${RUN_PACKAGES[*]},${TEST_PACKAGES[*]}")
    command -v mmdebstrap >/dev/null || install_missing mmdebstrap || true
    if command -v mmdebstrap >/dev/null &&
        mmdebstrap --variant=apt --include="$packages" trixie "$root" "${mirror[@]}" \
          >"$root.log" 2>&1; then
      :
    else
      # debootstrap makes a bare root; build.sh installs the packages in it with apt-get.
      echo "Debian 13 stage: mmdebstrap failed; trying debootstrap. mmdebstrap said:"
      tail -3 "$root.log" 2>/dev/null || echo "  (it is not installed and could not be)"
      rm -rf --one-file-system "$root" && mkdir -p -m 755 "$root"
      command -v debootstrap >/dev/null || install_missing debootstrap || true
      if ! command -v debootstrap >/dev/null ||
          ! debootstrap --variant=minbase trixie "$root" "${mirror[@]}" >"$root.log" 2>&1; then
        echo "Debian 13 stage: could not make a Debian 13 root from ${mirror[*]:-the default mirror}:" >&2
        tail -5 "$root.log" >&2 2>/dev/null || echo "  neither mmdebstrap nor debootstrap" >&2
        rm -f "$root.log"
        return 1
      fi
    fi
    rm -f "$root.log"
    touch "$root/.numerella-root"
    echo "Debian 13 stage: root made in $((SECONDS - start)) s ($root)"
  fi
  cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
  mkdir -p "$root/numerella"
  find "$root/numerella" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
  git ls-files -z | tar --null -T - --ignore-failed-read -cf - 2>/dev/null |
    tar -xf - -C "$root/numerella"
  start=$SECONDS
  unshare --mount --pid --fork --propagation private -- bash -euc '
    root=$1
    # The root made a mount point of its own, so that "/" can be remounted inside (a test
    # mounts a tmpfs in a private mount namespace).
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount -t sysfs sysfs "$root/sys"
    mount -t tmpfs tmpfs "$root/tmp"
    mount -t tmpfs tmpfs "$root/run"
    exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
      LANG=C.UTF-8 CI="$2" /bin/bash -c "cd /numerella && ./build.sh test --quick"
  ' bash "$root" "${CI:-}"
  echo "Debian 13 stage: build and quick tests passed in $((SECONDS - start)) s"
}

command=${1:-}
shift || true
case "$command" in
  run)
    install_missing "${RUN_PACKAGES[@]}"
    if [[ -f build/CMakeCache.txt ]]; then
      configure_and_build build numerella
    else
      configure_and_build build numerella -DBUILD_TESTING=OFF
    fi
    exec build/bin/numerella "$@"
    ;;
  test)
    quick=false with_tidy=false debian13=false
    for option in "$@"; do
      case "$option" in
        --quick) quick=true ;;
        --tidy) with_tidy=true ;;
        --debian13) debian13=true ;;
        *) echo "usage: $0 test [--quick] [--tidy] [--debian13]" >&2; exit 2 ;;
      esac
    done
    install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    test_build
    format_check
    if [[ $quick == false ]]; then
      package_build -DNUMERELLA_WERROR=ON
      package_check
      sanitized_tests
    fi
    if [[ $with_tidy == true ]]; then
      tidy
    fi
    if [[ $debian13 == true || ( ${CI:-} == true && $quick == false ) ]]; then
      debian13_stage
    fi
    ;;
  debian13)
    debian13_stage
    ;;
  tidy)
    install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    tidy
    ;;
  package)
    install_missing "${RUN_PACKAGES[@]}" dpkg-dev
    package_build -DNUMERELLA_WERROR=OFF
    ;;
  bench)
    install_missing "${RUN_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    if [[ -f build/CMakeCache.txt ]]; then
      configure_and_build build all -DNUMERELLA_BENCH=ON
    else
      configure_and_build build all -DNUMERELLA_BENCH=ON -DBUILD_TESTING=OFF
    fi
    bench/run.sh
    ;;
  *)
    echo "usage: $0 run|test [--quick] [--tidy] [--debian13]|debian13|tidy|package|bench" >&2
    exit 2
    ;;
esac
