#!/usr/bin/env bash
# The main job: shows what a host sees of the freshly built VST3.
set -euo pipefail
cd "$(dirname "$0")/.."
plugin=build/Toravel_artefacts/Release/VST3/Toravel.vst3
./build/tools/toravel-host inspect "$plugin"
