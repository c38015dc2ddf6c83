#!/usr/bin/env bash
# Configures and builds every target (the plug-in in all formats, tests, tools)
# into ./build. Extra arguments go to the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build build -j"$(nproc)"
