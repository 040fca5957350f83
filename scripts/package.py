#!/usr/bin/env python3
"""Builds what a user downloads, from a built blinkbar.exe, into OUT_DIR:
  Blinkbar-VERSION-portable.zip   blinkbar.exe, Readme.txt and LICENSE.txt in a folder Blinkbar
  Blinkbar-VERSION-setup.exe      the per-user installer (NSIS)
  blinkbar.exe                    the executable itself
and a NAME.sha256 beside each (sha256sum's format). The zip's entries carry the commit's time
and fixed attributes, so it is the same bytes for the same executable.

usage: package.py EXE ICON SOURCE_DIR OUT_DIR"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(__file__))
from stamp_pe import commit_time  # noqa: E402


def version_defines(source_dir):
    text = open(os.path.join(source_dir, "resources", "version.h")).read()
    return dict(re.findall(r'#define BLINKBAR_(\w+) "?([^"\n]*)"?', text))


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def write_sha256(path):
    digest = hashlib.sha256(open(path, "rb").read()).hexdigest()
    with open(path + ".sha256", "w", newline="\n") as f:
        f.write(f"{digest}  {os.path.basename(path)}\n")


def main(exe, icon, source_dir, out_dir):
    v = version_defines(source_dir)
    version = v["VERSION_TEXT"]
    quad = f'{v["VERSION_MAJOR"]}.{v["VERSION_MINOR"]}.0.0'
    os.makedirs(out_dir, exist_ok=True)
    stage = os.path.join(out_dir, "stage")
    os.makedirs(stage, exist_ok=True)
    texts = {
        "Readme.txt": crlf(open(os.path.join(source_dir, "resources", "Readme.txt")).read()),
        "LICENSE.txt": crlf(open(os.path.join(source_dir, "LICENSE")).read()),
    }
    for name, data in texts.items():
        with open(os.path.join(stage, name), "wb") as f:
            f.write(data)
    program = os.path.join(out_dir, "blinkbar.exe")
    shutil.copyfile(exe, program)

    # A zip time is local, two-second resolution and no earlier than 1980.
    stamp = time.gmtime(max(commit_time(source_dir), 315532800))[:6]
    zip_path = os.path.join(out_dir, f"Blinkbar-{version}-portable.zip")
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in [("blinkbar.exe", open(exe, "rb").read())] + sorted(texts.items()):
            info = zipfile.ZipInfo("Blinkbar/" + name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes, as Explorer writes them
            info.external_attr = 0x20  # archive
            z.writestr(info, data, compresslevel=9)

    setup_path = os.path.join(out_dir, f"Blinkbar-{version}-setup.exe")
    defines = {
        "VERSION": version, "VERSION_QUAD": quad, "PUBLISHER": v["PUBLISHER"],
        "COPYRIGHT": v["COPYRIGHT"], "EXE": os.path.abspath(exe), "ICON": os.path.abspath(icon),
        "README": os.path.join(os.path.abspath(stage), "Readme.txt"),
        "LICENSE": os.path.join(os.path.abspath(stage), "LICENSE.txt"),
        "OUTFILE": os.path.abspath(setup_path),
    }
    cmd = ["makensis", "-V2", "-NOCD"] + [f"-D{k}={val}" for k, val in defines.items()]
    cmd.append(os.path.join(source_dir, "resources", "installer.nsi"))
    subprocess.run(cmd, check=True, env=dict(os.environ, SOURCE_DATE_EPOCH=str(commit_time(source_dir))))

    for path in (program, zip_path, setup_path):
        write_sha256(path)


if __name__ == "__main__":
    main(*sys.argv[1:5])
