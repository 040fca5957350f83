#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (run as root).
# Idempotent: packages already present are not fetched again, and an existing Wine prefix is kept.
set -euo pipefail

need=(cmake ninja-build g++ clang libclang-rt-14-dev googletest file procps e2fsprogs
      g++-mingw-w64-i686 mingw-w64-i686-dev
      wine wine64 wine32:i386 fonts-wine
      xvfb x11-utils imagemagick python3 python3-xlib python3-pytest python3-pytest-timeout nsis zip unzip
      osslsigncode openssl python3-jsonschema python3-yaml
      xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
