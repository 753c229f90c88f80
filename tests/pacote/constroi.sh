#!/usr/bin/env bash
# Builds the packages from this build tree into a folder of their own, as
# scripts/pacote.sh does into build/pacotes.
#   constroi.sh <pasta do build> <pasta dos pacotes>
set -euo pipefail
build="$1"
destino="$2"
rm -rf "$destino"
mkdir -p "$destino"
cd "$build"
cpack --config CPackConfig.cmake -B "$destino" >"$destino/cpack.log" 2>&1 || {
    cat "$destino/cpack.log" >&2
    exit 1
}
ls "$destino"/*.deb
