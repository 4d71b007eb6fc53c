#!/usr/bin/env bash
# A core file that calls MessageBoxA must not compile: building the probe has to fail, and fail
# on that call.
#   check-probe.sh <build-dir>
set -uo pipefail
out=$(cmake --build "$1" --target kcore_probe 2>&1)
if [ $? -eq 0 ]; then echo "the probe compiled: the core can show a message box"; exit 1; fi
if ! grep -q "MessageBoxA" <<<"$out"; then echo "the probe failed for another reason:"; echo "$out" | tail -20; exit 1; fi
echo "core: a message box does not compile there: $(grep -m1 -o "error: .MessageBoxA. was not declared" <<<"$out")"
