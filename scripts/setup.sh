#!/usr/bin/env bash
# Installs every package Vorn needs to build and test on Debian. Safe to run again: it only asks
# apt for what is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config clang-format
    zlib1g-dev libpng-dev gemmi-dev tao-pegtl-dev
    libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libgl2ps-dev
    libgtest-dev
    qt6-base-dev libqt6opengl6-dev qt6-wayland
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
    xvfb xauth fonts-liberation2 ghostscript
    clang-14 libfuzzer-14-dev libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
