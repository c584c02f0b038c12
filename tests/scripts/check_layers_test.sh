#!/usr/bin/env bash
# The layer check on a small tree: clean includes pass; an upward include, an include of a folder on the same
# level and a file in an unlisted folder each fail with the offending line named.
set -euo pipefail
check=$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/cmake" "$tree/src/low" "$tree/src/low/sub" "$tree/src/mid" "$tree/src/peer" "$tree/src/top" "$tree/data"
printf '# bottom first\nlow\nlow/sub\nmid peer # a comment\ntop\n' >"$tree/cmake/layers.txt"
printf '#include "low/a.h"\n#include <vector>\n#include "beside.h"\n' >"$tree/src/mid/m.cpp"
printf '#include "low/sub/s.h"\n#include "mid/m.h"\n#include "gdal.h"\n' >"$tree/src/top/t.cpp"
printf '#include "low/a.h"\n' >"$tree/src/low/sub/s.cpp"

fail() { echo "FAIL: $*"; exit 1; }
expect_pass() { "$check" "$tree" >/dev/null 2>&1 || fail "a clean tree was refused: $("$check" "$tree" 2>&1)"; }
expect_refusal() { # text the report must hold
    local out
    if out=$("$check" "$tree" 2>&1); then fail "not refused: $1"; fi
    grep -qF "$1" <<<"$out" || fail "report lacks '$1': $out"
}

expect_pass
printf '#include "top/t.h"\n' >>"$tree/src/low/a.cpp"
expect_refusal 'src/low/a.cpp:1: #include "top/t.h": low may not include top (a higher layer)'
rm "$tree/src/low/a.cpp"
printf '\n  #  include "low/sub/s.h"\n' >"$tree/src/low/b.h"
expect_refusal 'src/low/b.h:2: #include "low/sub/s.h": low may not include low/sub (a higher layer)'
rm "$tree/src/low/b.h"
printf '#include "peer/p.h"\n' >>"$tree/src/mid/m.cpp"
expect_refusal 'src/mid/m.cpp:4: #include "peer/p.h": mid may not include peer (same level)'
sed -i '$d' "$tree/src/mid/m.cpp"
mkdir -p "$tree/src/stray"
printf '#include "low/a.h"\n' >"$tree/src/stray/x.cpp"
expect_refusal 'src/stray/x.cpp:1: the folder of this file is not in cmake/layers.txt'
rm -r "$tree/src/stray"
expect_pass
echo "check-layers self-test: ok"
