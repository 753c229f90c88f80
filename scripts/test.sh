#!/usr/bin/env bash
# Builds and runs the whole test suite twice: the normal build and the
# AddressSanitizer + UndefinedBehaviorSanitizer build; in between, every fuzz
# target runs over its corpus for a bounded time (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

for preset in normal sanitize; do
    echo "== build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "== tests: $preset"
    ctest --preset "$preset" -j2 --timeout 900
    if [ "$preset" = normal ]; then
        bash scripts/fuzz.sh
    fi
done
