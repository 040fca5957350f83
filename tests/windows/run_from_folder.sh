#!/usr/bin/env bash
# Copies a Windows test program into the given folder and runs it there under Wine.
set -euo pipefail
exe=$1 folder=$2
shift 2
mkdir -p "$folder"
cp "$exe" "$folder/"
exec bash "$(dirname "${BASH_SOURCE[0]}")/run_gtest.sh" "$folder/$(basename "$exe")" "$@"
