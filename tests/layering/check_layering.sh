#!/usr/bin/env bash
# The layering rules over src/:
# 1. Only src/platform includes the headers of SDL, FreeType, fontconfig, AGG, CUPS or cairo (the
#    build already refuses most of them elsewhere; <cups/...> and <fontconfig/...> sit in the
#    compiler's default path, so this check is what keeps them out).
# 2. No circle among the folders: a folder that includes another (directly or through others) is
#    never included back by it.
set -u
src=${1:?usage: check_layering.sh <src folder>}
fail=0

platform_headers='#include *[<"](SDL|SDL2/|ft2build|freetype|agg_|agg2/|cups/|cairo|fontconfig/)'
offenders=$(grep -rEl "$platform_headers" "$src" --include='*.h' --include='*.cpp' | grep -v "^$src/platform/")
if [ -n "$offenders" ]; then
    echo "FAILED: platform headers included outside src/platform:"
    echo "$offenders"
    fail=1
else
    echo "ok: platform headers only in src/platform"
fi

# Folder-level include edges, platform left out (its back ends implement interfaces declared above
# it, which is the point of the layer), and main.cpp too: the program itself stands above all.
edges=$(grep -rEo '#include "[a-z]+/' "$src" --include='*.h' --include='*.cpp' | grep -v "^$src/app/main.cpp:" |
    sed -E "s#^$src/([a-z]+)/[^:]*:\#include \"([a-z]+)/#\1 \2#" |
    awk '$1 != $2 && $1 != "platform" && $2 != "platform"' | sort -u)
# tsort reports a cycle on standard error.
cycle=$(echo "$edges" | tsort 2>&1 >/dev/null)
if [ -n "$cycle" ]; then
    echo "FAILED: folders include one another in a circle:"
    echo "$cycle"
    echo "edges:"
    echo "$edges"
    fail=1
else
    echo "ok: no circle among the folders; order from the top:"
    echo "$edges" | tsort | tr '\n' ' '
    echo
fi
exit $fail
