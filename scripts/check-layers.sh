#!/usr/bin/env bash
# Holds every #include "..." of the sources to the layer order in cmake/layers.txt: a folder may include its own
# headers and those of folders on lower lines only. Prints each offending line as FILE:LINE and exits 1 when there
# is one. Usage: scripts/check-layers.sh [ROOT] (default: the repository).
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# Sources are named by their path below src/ or data/, which is also how other files include them.
find src data -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \) -print0 | sort -z |
    xargs -0 grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
    awk -v layers=cmake/layers.txt '
    BEGIN {
        while ((getline line < layers) > 0) {
            sub(/#.*/, "", line)
            n = split(line, names, /[[:space:]]+/)
            found = 0
            for (i = 1; i <= n; i++) {
                if (names[i] == "") continue
                level[names[i]] = depth
                found = 1
            }
            if (found) depth++
        }
        if (depth == 0) { print "check-layers: no layers in " layers > "/dev/stderr"; exit 2 }
    }
    # The folder a path (below src/ or data/) belongs to: the longest listed folder that holds it.
    function unit(path,    best, name) {
        best = ""
        for (name in level)
            if (index(path, name "/") == 1 && length(name) > length(best)) best = name
        return best
    }
    {
        # FILE:LINE:#include "header"
        file = $0; sub(/:.*/, "", file)
        rest = substr($0, length(file) + 2)
        lineno = rest; sub(/:.*/, "", lineno)
        header = rest; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
        own = file; sub(/^(src|data)\//, "", own)
        from = unit(own)
        if (from == "") {
            printf "%s:%s: the folder of this file is not in %s\n", file, lineno, layers
            bad++
            next
        }
        if (header !~ /\//) next # a header beside the file
        to = unit(header)
        if (to == "" || to == from) next # a third-party or generated header, or the same folder
        if (level[to] >= level[from]) {
            printf "%s:%s: #include \"%s\": %s may not include %s (%s)\n", file, lineno, header, from, to,
                level[to] == level[from] ? "same level" : "a higher layer"
            bad++
        }
    }
    END { if (bad) { printf "check-layers: %d include(s) against %s\n", bad, layers > "/dev/stderr"; exit 1 } }
    '
