#!/usr/bin/env bash
# The one place that installs anything: Debian 12 packages by apt.
# Installs only what is missing, so a prepared machine runs through quickly.
set -euo pipefail

PACKAGES=(
  # toolchain and test frameworks
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  # window, input, message boxes; GL loading
  libsdl2-dev libepoxy-dev libgl-dev libegl-dev
  # Mesa's software rasteriser, its EGL (pictures drawn with no display, on
  # its surfaceless platform) and a virtual X server for the window's tests
  libgl1-mesa-dri libegl-mesa0 xvfb xauth x11-utils xdotool imagemagick
  # core X fonts: SDL's X11 message box draws with them (Xvfb has almost none)
  xfonts-base
  # Wayland: the client library for the compositor check before SDL starts;
  # libdecor's plugin draws the window's title bar where the compositor draws
  # none (as a desktop has it); a headless Weston and its library for the
  # tests' input seat module
  libwayland-dev libdecor-0-plugin-1-cairo weston libweston-10-dev
  # HLSL -> SPIR-V -> GLSL
  glslang-dev spirv-tools libspirv-cross-c-shared-dev
  # xxHash: keys and checksums of the start-up cache (compiled effects, GL
  # program binaries)
  libxxhash-dev
  # text: FreeType, fontconfig, a metric-compatible Arial and a Korean face
  libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-nanum
  # image readers: libpng and libjpeg-turbo for PNG and JPEG (BMP, TGA and
  # DDS are read by our own code); stb_image_write writes PNG pictures
  libstb-dev libpng-dev libjpeg62-turbo-dev
  # the viewer panel: Dear ImGui
  libimgui-dev
  # smdinfo's JSON
  nlohmann-json3-dev
  # independent SMD reader used by the asset tests; the loading benchmark
  # measures against the library and its test models
  assimp-utils libassimp-dev assimp-testmodels
  # libFuzzer targets: clang with its fuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
  # the house style and static checks (scripts/lint.sh)
  clang-format clang-tidy
  # JSON checks in tests
  python3
  # the end-to-end drop test drags files onto the window from a GTK window
  # (a real XDND drag, driven by xdotool)
  python3-gi gir1.2-gtk-3.0
  # the Khronos glTF validator (npm package gltf-validator, installed by the
  # smd2gltf tests into the build folder) runs on Node.js
  nodejs npm
  # the Debian package and the desktop files: dpkg-shlibdeps (dpkg-dev) for
  # CPack's DEB generator, lintian, the validators of desktop entries and
  # AppStream metainfo, the MIME database and gio to check how files are
  # typed, debootstrap for a scratch system to install the package into
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info
  libglib2.0-bin debootstrap
  # rsvg-convert draws the scalable icon for the test that compares it with
  # the PNG icons
  librsvg2-bin
)

missing=()
for p in "${PACKAGES[@]}"; do
  # A Node.js package that brings its own npm conflicts with Debian's npm.
  if [ "$p" = npm ] && command -v npm >/dev/null; then continue; fi
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
