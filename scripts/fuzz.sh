#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang, libFuzzer, ASan + UBSan) and
# runs each over its corpus for a bounded time: FUZZ_SEGUNDOS (default 20).
# What a run finds new stays in a scratch folder; a crash fails the script
# and its input is left in fuzz/achados/ to become a regression input in
# fuzz/corpus/<target>/ once fixed.
#   scripts/fuzz.sh [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

segundos="${FUZZ_SEGUNDOS:-20}"
alvos=("$@")
[ ${#alvos[@]} -gt 0 ] || alvos=(RegistroFuzz TextoNumeroFuzz IniFuzz DiarioFuzz)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
achados="$PWD/fuzz/achados"
rascunho="$(mktemp -d)"
trap 'rm -rf "$rascunho"' EXIT

falhas=0
for alvo in "${alvos[@]}"; do
    mkdir -p "$rascunho/$alvo"
    echo "== fuzz: $alvo (${segundos} s)"
    if ! (cd "$rascunho" && "$OLDPWD/build-fuzz/fuzz/$alvo" -max_total_time="$segundos" \
            -print_final_stats=1 -artifact_prefix="$rascunho/$alvo-" \
            "$rascunho/$alvo" "$OLDPWD/fuzz/corpus/$alvo" 2>&1 | tail -n 12); then
        falhas=$((falhas + 1))
    fi
    if compgen -G "$rascunho/$alvo-*" >/dev/null; then
        mkdir -p "$achados"
        cp "$rascunho/$alvo"-* "$achados/"
        echo "!! $alvo: entrada que falha copiada para fuzz/achados/" >&2
        falhas=$((falhas + 1))
    fi
done
[ "$falhas" -eq 0 ] || { echo "fuzz: $falhas alvo(s) falharam" >&2; exit 1; }
echo "fuzz: ${#alvos[@]} alvos sem falha"
