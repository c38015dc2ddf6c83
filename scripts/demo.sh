#!/usr/bin/env bash
# Renders a short demo through the freshly built VST3 into build/demo.wav: four notes
# through the envelope while the source circles on x and y.
set -euo pipefail
cd "$(dirname "$0")/.."
plugin=build/Toravel_artefacts/Release/VST3/Toravel.vst3
output=build/demo.wav

./build/tools/toravel-host render "$plugin" \
    --set gain=0.7 --set ADSR=1 --set attack=0.02 --set decay=0.05 --set sustain=0.7 --set release=0.1 \
    --set vel_x=0.03 --set vel_y=0.02 --set bnd_y1=0.3 --set bnd_y2=0.3 \
    --note 60:0.0:0.6 --note 64:0.75:0.6 --note 67:1.5:0.6 --note 72:2.25:1.0 \
    --seconds 4.5 -o "$output"
echo "The demo is in $(pwd)/$output"
