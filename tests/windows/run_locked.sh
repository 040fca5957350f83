#!/usr/bin/env bash
# Runs a locked-settings test with "Blinkbar.ini" (file) or its folder (folder) made immutable.
# Running as root under Wine, a read-only attribute stops nothing; chattr +i stops even root.
set -euo pipefail
exe=$1 folder=$2 what=$3
unlock() { chattr -i "$folder" "$folder/Blinkbar.ini" 2>/dev/null || true; }
unlock
rm -rf "$folder"
mkdir -p "$folder"
cp "$exe" "$folder/"
printf '; mine\r\n[Settings]\r\nWinX=9\r\nDrives=0011\r\n' >"$folder/Blinkbar.ini"
trap unlock EXIT
case $what in
  file) # linked from a persist folder too, as Scoop keeps it: a second name is written in place
    ln "$folder/Blinkbar.ini" "$folder/persisted.ini"
    chattr +i "$folder/Blinkbar.ini"; test=AFileThatCannotBeWrittenIsReadAndKeptByteForByte ;;
  folder) chattr +i "$folder"; test=AFolderThatTakesNoNewFileStillGetsTheSaveInPlace ;;
  *) echo "usage: run_locked.sh EXE FOLDER file|folder"; exit 2 ;;
esac
bash "$(dirname "${BASH_SOURCE[0]}")/run_gtest.sh" "$folder/$(basename "$exe")" \
  --gtest_filter="LockedSettings.$test"
