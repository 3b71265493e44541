#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Zelvo needs for a build (and, with --test,
# for its tests; with --package, for building its Debian package; with
# --screenshots, for driving the window on a virtual display; with
# --large-bank, the 490 MB bank the bank overview's benchmark opens, which
# also becomes the system's default-GM SoundFont), skipping those already
# present. lintian and devscripts' hardening-check check the package that
# --test builds.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev qt6-multimedia-dev libgl-dev scdoc
          libogg-dev libvorbis-dev libsoxr-dev nlohmann-json3-dev)
for option in "$@"; do
  case $option in
    --test)
      packages+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
                 timgm6mb-soundfont fluid-soundfont-gm fluid-soundfont-gs opl3-soundfont
                 csound-soundfont avldrums.lv2-soundfont
                 desktop-file-utils appstream man-db shared-mime-info xdg-utils
                 fluidr3mono-gm-soundfont musescore-general-soundfont-small
                 fluidsynth sox vorbis-tools lintian devscripts) ;;
    --package)
      packages+=(dpkg-dev file) ;;
    --screenshots)
      packages+=(xvfb xdotool imagemagick x11-apps) ;;
    --large-bank)
      packages+=(musescore-general-soundfont-lossless) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
