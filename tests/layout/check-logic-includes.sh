#!/usr/bin/env bash
# Fails when an object of a logic library (store/, shell/, retrieval/, watchlist/)
# was compiled against a QtWidgets header or a header of window/, when an object
# of those folders' tests was compiled against a header of window/, or when a
# logic library reaches up the order store, shell, retrieval, watchlist: store
# includes none of the other three, shell neither retrieval nor watchlist, and
# retrieval no watchlist.
# It reads the dependencies the compiler recorded in Ninja's log, so no include
# path, however it is spelled, can hide a widget header.
#
#   check-logic-includes.sh NINJA BUILD_DIR SOURCE_DIR
set -euo pipefail
ninja=$1
build=$(cd "$2" && pwd -P)
source=$(cd "$3" && pwd -P)

# Only objects of the current build: the log also keeps records of objects whose
# sources have moved away.
objects=$(cd "$build" && "$ninja" -t targets all |
    sed -nE 's/^((tests\/)?(store|shell|retrieval|watchlist)\/CMakeFiles\/.*\.o): .*/\1/p')
if [ -z "$objects" ]; then
    echo "FAIL: the build has no objects of store/, shell/, retrieval/ or watchlist/"
    exit 1
fi

# shellcheck disable=SC2086 # one argument per object
(cd "$build" && "$ninja" -t deps $objects) | awk -v build="$build" -v source="$source" '
    # "a/b/../c" folded to "a/c", relative paths taken from the build folder.
    function fold(path,    n, parts, out, i, k) {
        if (path !~ /^\//) path = build "/" path
        n = split(path, parts, "/")
        k = 0
        for (i = 1; i <= n; i++) {
            if (parts[i] == "" || parts[i] == ".") continue
            if (parts[i] == "..") { if (k > 0) k--; continue }
            out[++k] = parts[i]
        }
        path = ""
        for (i = 1; i <= k; i++) path = path "/" out[i]
        return path
    }
    BEGIN {
        logic = "(store|shell|retrieval|watchlist)"
        rank["store"] = 1; rank["shell"] = 2; rank["retrieval"] = 3; rank["watchlist"] = 4
    }
    /^[^ \t].*: #deps/ {
        object = $0
        sub(/: #deps.*/, "", object)
        library = object ~ ("^" logic "/CMakeFiles/")
        test = object ~ ("^tests/" logic "/CMakeFiles/")
        if (library || test) {
            split(object, part, "/")
            seen[library ? part[1] : part[1] "/" part[2]] = 1
        }
        next
    }
    /: deps not found$/ {
        sub(/: deps not found$/, "")
        print "FAIL: no dependency record for " $0 "; build everything first"
        failed = 1
        next
    }
    (library || test) && /^[ \t]+[^ \t]/ {
        sub(/^[ \t]+/, "")
        dep = fold($0)
        windowHeader = index(dep, source "/window/") == 1 || index(dep, build "/window/") == 1
        widgetsHeader = dep ~ /\/QtWidgets\//
        if ((windowHeader || (library && widgetsHeader)) && !(object in named)) {
            print "FAIL: " object " depends on " dep
            named[object] = 1
            failed = 1
        }
        if (library && index(dep, source "/") == 1) {
            split(substr(dep, length(source) + 2), folder, "/")
            if ((folder[1] in rank) && rank[folder[1]] > rank[part[1]] && !((object, folder[1]) in upward)) {
                print "FAIL: " object " of " part[1] "/ reaches up to " dep
                upward[object, folder[1]] = 1
                failed = 1
            }
        }
    }
    END {
        # A build without records would pass for nothing: each logic library must be seen.
        n = split("store shell retrieval watchlist", required, " ")
        for (i = 1; i <= n; i++)
            if (!(required[i] in seen)) {
                print "FAIL: no compiled objects of " required[i] "/ recorded"
                failed = 1
            }
        if (!failed) {
            for (f in seen) checked = checked " " f
            print "no widget headers and no upward includes in:" checked
        }
        exit failed
    }'
