#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Run it as root or as a user who may use sudo: a fresh machine where one is root
# has no sudo, so the script asks for it only when it needs it.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    exec sudo -- "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
    # toolchain
    build-essential cmake pkg-config git
    # the plug-in framework and the VST 2.4 interface headers
    juce-modules-source fst-dev
    # the run-loop record's clock
    libapr1-dev
    # drawing
    libgl-dev libglu1-mesa-dev libgl1-mesa-dri
    # what the framework needs on Linux
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev
    libxcursor-dev libxext-dev libasound2-dev libpng-dev zlib1g-dev libjpeg-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # headless windows for the editor tests, the synthetic clicks of the host program,
    # and window managers for it to run under (xprop tells when one is up)
    xvfb xauth libxtst-dev fluxbox openbox x11-utils
    # hosts we did not write
    jalv jackd2 lilv-utils lv2-dev sordi
)

apt-get update -q
apt-get install -y -q "${packages[@]}"
