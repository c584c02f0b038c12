#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy (and tests/.clang-tidy under tests/) and fails on any finding.
#
#   scripts/check-tidy.sh [-p BUILD_DIR] [-j JOBS] [FILES...]   the given .cpp files, or every one of the build
#   scripts/check-tidy.sh [-p BUILD_DIR] [-j JOBS] --changed    the files changed since the merge base with
#                                                               origin/main, or without one since the parent of the
#                                                               last commit; uncommitted changes count too
#   --list                                                      only print the .cpp files that would be checked
#
# The files come from BUILD_DIR/compile_commands.json (default build/test, as scripts/setup.sh test makes it), so
# the build must be configured first; only translation units of the source tree are checked, never generated ones.
# A header is checked through the .cpp files that include it. Files found clean are remembered in
# ~/.cache/chronova/clang-tidy (CHRONOVA_TIDY_CACHE: another folder, or off) until they or their headers change.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd -P)

build=build/test
jobs=2
changed=false
list=false
files=()
while [ $# -gt 0 ]; do
    case "$1" in
    -p)
        build=$2
        shift 2
        ;;
    -j)
        jobs=$2
        shift 2
        ;;
    --changed)
        changed=true
        shift
        ;;
    --list)
        list=true
        shift
        ;;
    -h | --help)
        sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    *)
        files+=("$1")
        shift
        ;;
    esac
done

tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
    echo "check-tidy: clang-tidy is not installed (Debian package clang-tidy)" >&2
    exit 2
fi
database="$build/compile_commands.json"
if [ ! -f "$database" ]; then
    echo "check-tidy: no $database; configure the build first (CMAKE_EXPORT_COMPILE_COMMANDS is on)" >&2
    exit 2
fi

build_root=$(cd "$build" && pwd -P)
# Every .cpp file of the source tree the build compiles, relative to the top, outside any build folder. CMake
# writes each entry's "file" on a line of its own, as an absolute path.
mapfile -t known < <(grep -o '"file": *"[^"]*\.cpp"' "$database" | sed 's/^"file": *"//; s/"$//' |
    while read -r path; do
        case "$path" in
        "$root"/build/* | "$build_root"/*) ;;
        "$root"/*) echo "${path#"$root"/}" ;;
        esac
    done | sort -u)

if $changed; then
    # No parent: the empty tree, so a first commit counts whole.
    base=$(git merge-base HEAD origin/main 2>/dev/null || git rev-parse -q --verify 'HEAD~1' ||
        git hash-object -t tree /dev/null)
    mapfile -t files < <({
        git diff --name-only "$base" -- '*.cpp' '*.h'
        git ls-files --others --exclude-standard -- '*.cpp' '*.h'
    } | sort -u)
fi

selected=()
if [ ${#files[@]} -eq 0 ] && ! $changed; then
    selected=("${known[@]}")
else
    # A changed header is checked through the files of the build that include it by name.
    declare -A wanted=()
    for file in "${files[@]}"; do
        file=${file#./}
        case "$file" in
        *.h)
            [ -f "$file" ] || continue
            name=$(basename "$file")
            for unit in "${known[@]}"; do
                grep -q "[/\"]$name\"" "$unit" && wanted[$unit]=1
            done
            ;;
        *.cpp)
            if printf '%s\n' "${known[@]}" | grep -qxF "$file"; then
                wanted[$file]=1
            elif ! $changed; then
                echo "check-tidy: $file is not in $database" >&2
                exit 2
            fi
            ;;
        esac
    done
    selected=("${!wanted[@]}")
fi
if $list; then
    [ ${#selected[@]} -eq 0 ] || printf '%s\n' "${selected[@]}" | sort
    exit 0
fi
if [ ${#selected[@]} -eq 0 ]; then
    echo "clang-tidy: nothing to check"
    exit 0
fi

# A file found clean is remembered under a key made of clang-tidy's version, the checks, and the contents of the
# file and of every header of the tree it includes (from the build's dependency log), so a run after a change
# checks only what the change can affect. Without a dependency entry for a file (not built yet) nothing is
# remembered for it. CHRONOVA_TIDY_CACHE=off turns this off.
cache=${CHRONOVA_TIDY_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/chronova/clang-tidy}
deps=$(mktemp -d)
trap 'rm -rf "$deps"' EXIT
if [ "$cache" != off ] && mkdir -p "$cache" 2>/dev/null; then
    { "$tidy" --version; cat .clang-tidy tests/.clang-tidy 2>/dev/null; } | sha256sum | cut -d" " -f1 >"$deps/config"
    # ninja lists each object's inputs, the source first; keep the files of the tree, by source.
    ninja -C "$build" -t deps 2>/dev/null | awk -v root="$root/" -v build="$build_root/" -v out="$deps" '
        function normal(path,    parts, n, i, kept, k, result) {
            n = split(path, parts, "/")
            k = 0
            for (i = 2; i <= n; i++) {
                if (parts[i] == "..") { if (k > 0) k-- }
                else if (parts[i] != "." && parts[i] != "") kept[++k] = parts[i]
            }
            result = ""
            for (i = 1; i <= k; i++) result = result "/" kept[i]
            return result
        }
        /^[^ ]/ { source = ""; next }
        /^ +/ {
            path = $1
            if (path !~ /^\//) path = build path
            path = normal(path)
            if (source == "") {
                source = path
                sub("^" root, "", source)
                gsub("/", "%", source)
            }
            if (index(path, "/usr/") != 1) print path >> (out "/" source)
        }' || true
else
    cache=off
fi

# Each file's findings are printed together, and only when there are some. GCC's own warning options in the
# database are unknown to clang and are not findings.
export tidy build cache deps
start=$SECONDS
status=0
printf '%s\0' "${selected[@]}" | sort -z | xargs -0 -P "$jobs" -n 1 bash -c '
    key=""
    list="$deps/${1//\//%}"
    if [ "$cache" != off ] && [ -f "$list" ]; then
        key=$({ cat "$deps/config"; sort -u "$list" | xargs cat; } | sha256sum | cut -d" " -f1)
        [ -f "$cache/$key" ] && exit 0
    fi
    if ! out=$("$tidy" -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option "$1" 2>&1); then
        printf "%s\n" "$out" | grep -v -E "^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$" >&2
        exit 1
    fi
    [ -z "$key" ] || : >"$cache/$key"' _ || status=$?
if [ $status -ne 0 ]; then
    echo "clang-tidy: findings above (${#selected[@]} files checked)" >&2
    exit 1
fi
echo "clang-tidy: clean (${#selected[@]} files, $((SECONDS - start)) s)"
