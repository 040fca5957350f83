#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (run as root).
# Idempotent: packages already present are not fetched again, and an existing Wine prefix is kept.
set -euo pipefail

need=(cmake ninja-build g++ clang libclang-rt-14-dev googletest file procps e2fsprogs
      g++-mingw-w64-i686 mingw-w64-i686-dev
      wine wine64 wine32:i386 fonts-wine
      xvfb x11-utils imagemagick python3 python3-xlib python3-pytest python3-pytest-timeout nsis zip unzip
      osslsigncode openssl python3-jsonschema python3-yaml python3-fusepy fuse3
      xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
said=$(mktemp)
trap 'rm -f "$said"' EXIT

# A mirror caught mid-sync serves an index of the wrong size for a while: try it again a little
# later, then go on with the lists that did come (apt keeps them) and say which one did not.
for wait in 3 10 0; do
  apt-get update -qq 2>"$said" && break
  if ((wait == 0)); then
    echo "setup: these package indexes could not be fetched; going on with the lists apt has:" >&2
    grep -oE 'Failed to fetch [^ ]+' "$said" | sed 's/^/  /' >&2 || cat "$said" >&2
  else
    sleep "$wait"
  fi
done

# With one suite's lists missing (say the security suite's i386 half), the other half of a
# Multi-Arch pair may come from a suite whose counterpart apt cannot see, and the install cannot
# be resolved: the release's own suite has both halves.
install() { apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null; }
if ! install 2>"$said"; then
  cat "$said" >&2
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  echo "setup: the install could not be resolved; trying again from $release's own suite" >&2
  if ! install -t "$release"; then
    echo "setup: could not install: ${missing[*]}" >&2
    echo "setup: run by hand: apt-get update && apt-get install -t $release ${missing[*]}" >&2
    exit 1
  fi
fi
