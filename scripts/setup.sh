#!/usr/bin/env bash
# Installs what Chronova needs on Debian 12 (only what is missing), builds it and runs it.
#
#   scripts/setup.sh demo       install, build, run the main job
#   scripts/setup.sh desktop    install, build, register the components, open the desktop window on the demo
#   scripts/setup.sh test       install, check formatting and the layer order, build with warnings as errors,
#                               run clang-tidy over the changed files (scripts/check-tidy.sh --changed), run every
#                               test (ctest starts a throwaway PostgreSQL server for those that read one, and stops it)
#   scripts/setup.sh sanitize   build the tests with AddressSanitizer and UBSan and run them
#   scripts/setup.sh fuzz [S]   build the fuzz targets with clang and run each for S seconds (default 60)
#   scripts/setup.sh package    install, build Release for /usr, make the Debian package and print its path
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-demo}
jobs=$(nproc)

# Debian packages by name. The run-time set builds the program and its Python module; the rest builds and checks
# the tests.
runtime_packages=(g++ cmake ninja-build ccache pkg-config nlohmann-json3-dev libgdal-dev libpugixml-dev qt6-base-dev
    libgl-dev fonts-dejavu-core libcli11-dev libgif-dev libpng-dev libdeflate-dev libxxhash-dev
    libhowardhinnant-date-dev tzdata pybind11-dev python3-dev)
# xvfb and xauth give the screenshot tests a real X server (xvfb-run). PostgreSQL with PostGIS runs the throwaway
# server of the tests that read tables from one (scripts/test-database.sh); libpq-dev lets those tests set up their
# tables. pytest and NumPy run the Python module's tests.
test_packages=(googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy
    xvfb xauth postgresql-15 postgresql-15-postgis-3 libpq-dev python3-pytest python3-numpy)
# cpack's DEB generator: dpkg-shlibdeps (dpkg-dev) finds the run-time dependencies of the programs that file picks out.
package_packages=(dpkg-dev file)

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# ccache keeps compiled objects between builds; paths relative to the checkout let a fresh clone elsewhere reuse them.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
compiler_cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure_and_build() { # build-dir, cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "${compiler_cache[@]}" "$@"
    cmake --build "$dir" -j "$jobs"
}

case "$mode" in
demo)
    install_packages "${runtime_packages[@]}"
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release
    build/release/bin/chronova demo --out build/demo
    ;;
desktop)
    install_packages "${runtime_packages[@]}"
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release
    build/release/bin/chronova demo --out build/demo --quiet
    # The window loads only the components registered in the machine's categories (/etc/chronova).
    sudo=()
    [ "$(id -u)" -ne 0 ] && [ -z "${CHRONOVA_MACHINE_SETTINGS:-}" ] && sudo=(sudo)
    "${sudo[@]}" env ${CHRONOVA_MACHINE_SETTINGS:+CHRONOVA_MACHINE_SETTINGS="$CHRONOVA_MACHINE_SETTINGS"} \
        build/release/bin/chronova register
    build/release/bin/chronova-desktop build/demo/data/demo.chronova.json
    ;;
test)
    install_packages "${runtime_packages[@]}" "${test_packages[@]}"
    scripts/check-format.sh
    scripts/check-layers.sh
    configure_and_build build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHRONOVA_WERROR=ON \
        -DCHRONOVA_BUILD_TESTS=ON -DCHRONOVA_BUILD_BENCH=ON
    # clang-tidy over the whole tree takes about 18 minutes on two cores when nothing is remembered, so CI runs that
    # (.ci/run); here it checks what changed since origin/main, or since the last commit's parent, and what is
    # uncommitted.
    scripts/check-tidy.sh -p build/test -j "$jobs" --changed
    ctest --test-dir build/test --output-on-failure -j "$jobs"
    ;;
sanitize)
    install_packages "${runtime_packages[@]}" "${test_packages[@]}"
    configure_and_build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DCHRONOVA_WERROR=ON \
        -DCHRONOVA_BUILD_TESTS=ON -DCHRONOVA_SANITIZER=address,undefined
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
    ;;
fuzz)
    install_packages "${runtime_packages[@]}" "${test_packages[@]}"
    seconds=${2:-60}
    CXX=clang++ cmake -S . -B build/fuzz -G Ninja "${compiler_cache[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCHRONOVA_WERROR=ON -DCHRONOVA_BUILD_FUZZ=ON -DCHRONOVA_SANITIZER=address,undefined,fuzzer-no-link
    cmake --build build/fuzz -j "$jobs" --target fuzzers
    # Each target fuzzes a copy of its seed corpus, then merges back into the seeds only the inputs that reach
    # code no seed reached (named by their content hash), so that coverage grows from run to run. The merge counts
    # code reached, not how often (-use_counters=0), and inputs stay no longer than the largest seed (at least
    # 4 KB): both keep the corpora small.
    summary=()
    for fuzzer in build/fuzz/fuzz/*_fuzz; do
        name=$(basename "$fuzzer")
        corpus="fuzz/corpus/$name"
        mkdir -p "$corpus"
        work=$(mktemp -d)
        cp -r "$corpus/." "$work/"
        largest=$(find "$corpus" -type f -printf '%s\n' | sort -n | tail -n 1)
        max_len=$((${largest:-0} > 4096 ? ${largest:-0} : 4096))
        dict=()
        [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
        echo "Fuzzing $name for ${seconds}s"
        # A crashing input is kept as build/fuzz/NAME-crash-HASH for the developer.
        if ! "$fuzzer" "${dict[@]}" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="build/fuzz/$name-" "$work" >"build/fuzz/$name.log" 2>&1; then
            tail -n 60 "build/fuzz/$name.log"
            echo "fuzz target $name failed; the input is in build/fuzz/"
            exit 1
        fi
        seeds=$(find "$corpus" -type f | wc -l)
        if ! "$fuzzer" -merge=1 -use_counters=0 -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 "$corpus" "$work" \
            >"build/fuzz/$name.merge.log" 2>&1; then
            tail -n 30 "build/fuzz/$name.merge.log"
            echo "merging the corpus of $name failed"
            exit 1
        fi
        rm -rf "$work"
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "build/fuzz/$name.log")
        added=$(($(find "$corpus" -type f | wc -l) - seeds))
        summary+=("$(printf '%-28s %14s %8s %6s' "$name" "${executions:-?}" "$added" "$seeds")")
    done
    printf '%-28s %14s %8s %6s\n' target executions new seeds
    printf '%s\n' "${summary[@]}"
    ;;
package)
    install_packages "${runtime_packages[@]}" "${package_packages[@]}"
    # Installed under /usr, the libraries go to Debian's multiarch folder (lib/x86_64-linux-gnu).
    configure_and_build build/package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
    rm -f build/package/chronova_*.deb
    (cd build/package && cpack -G DEB)
    deb=$(ls build/package/chronova_*.deb)
    echo "Debian package: $(realpath "$deb")"
    echo "Install it (as root) with: apt install $(realpath "$deb")"
    ;;
*)
    echo "usage: scripts/setup.sh demo|desktop|test|sanitize|fuzz [seconds]|package" >&2
    exit 2
    ;;
esac
