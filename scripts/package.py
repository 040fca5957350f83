#!/usr/bin/env python3
"""Builds what a user downloads, from a built blinkbar.exe, into OUT_DIR:
  Blinkbar-VERSION-portable.zip   blinkbar.exe, Readme.txt and LICENSE.txt in a folder Blinkbar
  Blinkbar-VERSION-setup.exe      the per-user installer (NSIS)
  blinkbar.exe                    the executable itself
  manifests/winget/               the three files of a winget manifest for the installer
  manifests/scoop/blinkbar.json   a Scoop manifest for the zip
and a NAME.sha256 beside each download (sha256sum's format). The zip's entries carry the commit's
time and fixed attributes, so it is the same bytes for the same executable.

The installer carries its plugin, BlinkbarSetup.dll (PLUGIN, else the one beside EXE), which NSIS
unpacks into a temporary folder while it runs.

Signing, when BLINKBAR_SIGN_CERT names a code-signing certificate (PEM, with BLINKBAR_SIGN_KEY its
key; or a .p12/.pfx holding both): blinkbar.exe before it goes into the zip and the installer, the
installer's plugin and the uninstaller before NSIS packs them, and the installer, each with
SHA-256 (osslsigncode). The key's
password is read from the file BLINKBAR_SIGN_PASSWORD_FILE names, never from a command line;
BLINKBAR_TIMESTAMP_URL adds a timestamp. The checksums are made after signing. Without a
certificate nothing is signed, and the downloads stay the same bytes for the same commit.
BLINKBAR_HOMEPAGE, BLINKBAR_PUBLISHER_URL and BLINKBAR_RELEASE_URL (with "$version" where the version
goes) are the addresses the manifests and signatures name; placeholders, said to be such, stand
for those not given.

usage: package.py EXE ICON SOURCE_DIR OUT_DIR [PLUGIN]
       package.py --sign FILE     (signs FILE in place; NSIS calls it for the uninstaller)"""
import hashlib
import json
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


PLACEHOLDER_HOME = "https://blinkbar.example.org"
PLACEHOLDER_RELEASE = "https://downloads.blinkbar.example.org/releases/$version"


def addresses():
    """The project's addresses as the build was given them (BLINKBAR_HOMEPAGE, BLINKBAR_PUBLISHER_URL,
    BLINKBAR_RELEASE_URL: where a version's downloads are published, "$version" standing for the
    version, else added as the last folder), placeholders where one was not, and the names of those
    that were not."""
    home = os.environ.get("BLINKBAR_HOMEPAGE", "")
    publisher = os.environ.get("BLINKBAR_PUBLISHER_URL", "") or home
    release = os.environ.get("BLINKBAR_RELEASE_URL", "").rstrip("/")
    if release and "$version" not in release:
        release += "/$version"
    missing = [name for name, value in (("BLINKBAR_HOMEPAGE", home),
                                         ("BLINKBAR_RELEASE_URL", release)) if not value]
    return home or PLACEHOLDER_HOME, publisher or PLACEHOLDER_HOME, release or PLACEHOLDER_RELEASE, missing


def sign(path):
    """Signs the PE file at `path` in place, as BLINKBAR_SIGN_* say; False when unconfigured."""
    cert = os.environ.get("BLINKBAR_SIGN_CERT", "")
    if not cert:
        return False
    if cert.lower().endswith((".p12", ".pfx")):
        cmd = ["osslsigncode", "sign", "-pkcs12", cert]
    else:
        cmd = ["osslsigncode", "sign", "-certs", cert, "-key", os.environ["BLINKBAR_SIGN_KEY"]]
    if os.environ.get("BLINKBAR_SIGN_PASSWORD_FILE"):
        cmd += ["-readpass", os.environ["BLINKBAR_SIGN_PASSWORD_FILE"]]
    cmd += ["-h", "sha256", "-n", "Blinkbar", "-i", addresses()[0]]
    if os.environ.get("BLINKBAR_TIMESTAMP_URL"):
        cmd += ["-ts", os.environ["BLINKBAR_TIMESTAMP_URL"]]
    signed = path + ".signed"
    if os.path.exists(signed):
        os.remove(signed)
    subprocess.run(cmd + ["-in", path, "-out", signed], check=True, stdout=subprocess.DEVNULL)
    os.replace(signed, path)
    return True


def sha256_of(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


def yaml_file(path, fields, note):
    """A YAML file of plain keys: every value written as JSON, which YAML reads as it is."""
    with open(path, "w", newline="\n") as f:
        if note:
            f.write(f"# {note}\n")
        for key, value in fields:
            if isinstance(value, list):
                f.write(f"{key}:\n")
                for item in value:
                    if isinstance(item, dict):
                        item = "\n  ".join(f"{k}: {json.dumps(v)}" for k, v in item.items())
                    else:
                        item = json.dumps(item)
                    f.write(f"- {item}\n")
            elif isinstance(value, dict):
                f.write(f"{key}:\n")
                for k, v in value.items():
                    f.write(f"  {k}: {json.dumps(v)}\n")
            else:
                f.write(f"{key}: {json.dumps(value)}\n")


def write_manifests(out_dir, version, publisher, setup_path, zip_path):
    home, publisher_url, release, missing = addresses()
    note = ("These addresses are placeholders: " + " and ".join(missing) +
            " not given to the build.") if missing else ""
    download = release.replace("$version", version)
    ident = "Blinkbar.Blinkbar"
    head = [("PackageIdentifier", ident), ("PackageVersion", version)]
    winget = os.path.join(out_dir, "manifests", "winget")
    os.makedirs(winget, exist_ok=True)
    yaml_file(os.path.join(winget, f"{ident}.yaml"), head + [
        ("DefaultLocale", "en-US"), ("ManifestType", "version"), ("ManifestVersion", "1.10.0")], "")
    yaml_file(os.path.join(winget, f"{ident}.installer.yaml"), head + [
        ("InstallerType", "nullsoft"),
        ("Scope", "user"),
        ("InstallModes", ["interactive", "silent", "silentWithProgress"]),
        # What the installer really takes: NSIS's /S, and /D= last, without quotes.
        ("InstallerSwitches", {"Silent": "/S", "SilentWithProgress": "/S",
                               "InstallLocation": "/D=<INSTALLPATH>"}),
        # A silent install closes a running Blinkbar and starts it again; 2 is left for one that
        # would not close, 1 for a user's Cancel.
        ("ExpectedReturnCodes", [{"InstallerReturnCode": 1, "ReturnResponse": "cancelledByUser"},
                                 {"InstallerReturnCode": 2, "ReturnResponse": "packageInUse"}]),
        ("UpgradeBehavior", "install"),
        # The key of its entry in the installed programs, which the uninstaller removes.
        ("ProductCode", "Blinkbar"),
        ("Installers", [{
            "Architecture": "x86",
            "InstallerUrl": f"{download}/{os.path.basename(setup_path)}",
            "InstallerSha256": sha256_of(setup_path).upper()}]),
        ("ManifestType", "installer"), ("ManifestVersion", "1.10.0")], note)
    yaml_file(os.path.join(winget, f"{ident}.locale.en-US.yaml"), head + [
        ("PackageLocale", "en-US"), ("Publisher", publisher), ("PublisherUrl", publisher_url),
        ("PackageName", "Blinkbar"), ("PackageUrl", home), ("License", "MIT"),
        ("ShortDescription", "A disk-activity indicator: one LED per drive letter, always on top."),
        ("ManifestType", "defaultLocale"), ("ManifestVersion", "1.10.0")], note)
    scoop = os.path.join(out_dir, "manifests", "scoop")
    os.makedirs(scoop, exist_ok=True)
    zip_name = os.path.basename(zip_path)
    manifest = {
        "version": version,
        "description": "A disk-activity indicator: one LED per drive letter, always on top.",
        "homepage": home,
        "license": "MIT",
        "url": f"{download}/{zip_name}",
        "hash": sha256_of(zip_path),
        "extract_dir": "Blinkbar",
        # A window program: a Start-menu shortcut, no console shim.
        "shortcuts": [["blinkbar.exe", "Blinkbar"]],
        # The settings live beside the program, kept in Scoop's persist folder and linked in. The
        # zip has no such file, and Scoop would make a folder of that name: an empty file is made
        # first (Blinkbar reads it as the defaults and saves into it through the link).
        "pre_install": ['if (!(Test-Path "$persist_dir\\Blinkbar.ini")) {',
                        '    New-Item "$dir\\Blinkbar.ini" -ItemType File | Out-Null',
                        '}'],
        "persist": "Blinkbar.ini",
        "checkver": {"url": home, "regex": "Blinkbar-([\\d.]+)-portable\\.zip"},
        "autoupdate": {"url": f"{release}/{zip_name.replace(version, '$version')}"},
    }
    if note:
        manifest = {"##": note, **manifest}
    with open(os.path.join(scoop, "blinkbar.json"), "w", newline="\n") as f:
        json.dump(manifest, f, indent=4)
        f.write("\n")


def main(exe, icon, source_dir, out_dir, plugin=None):
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
    signing = sign(program)  # the zip and the installer carry the signed program
    plugins = os.path.join(stage, "plugins")
    os.makedirs(plugins, exist_ok=True)
    shutil.copyfile(plugin or os.path.join(os.path.dirname(exe), "BlinkbarSetup.dll"),
                    os.path.join(plugins, "BlinkbarSetup.dll"))
    sign(os.path.join(plugins, "BlinkbarSetup.dll"))

    # A zip time is local, two-second resolution and no earlier than 1980.
    stamp = time.gmtime(max(commit_time(source_dir), 315532800))[:6]
    zip_path = os.path.join(out_dir, f"Blinkbar-{version}-portable.zip")
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in [("blinkbar.exe", open(program, "rb").read())] + sorted(texts.items()):
            info = zipfile.ZipInfo("Blinkbar/" + name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes, as Explorer writes them
            info.external_attr = 0x20  # archive
            z.writestr(info, data, compresslevel=9)

    setup_path = os.path.join(out_dir, f"Blinkbar-{version}-setup.exe")
    defines = {
        "VERSION": version, "VERSION_QUAD": quad, "PUBLISHER": v["PUBLISHER"],
        "COPYRIGHT": v["COPYRIGHT"], "EXE": os.path.abspath(program), "ICON": os.path.abspath(icon),
        "README": os.path.join(os.path.abspath(stage), "Readme.txt"),
        "LICENSE": os.path.join(os.path.abspath(stage), "LICENSE.txt"),
        "OUTFILE": os.path.abspath(setup_path), "PLUGINS": os.path.abspath(plugins),
    }
    if signing:  # NSIS signs the uninstaller with this before it packs it
        defines["SIGN_UNINSTALLER"] = f'"{sys.executable}" "{os.path.abspath(__file__)}" --sign'
    cmd = ["makensis", "-V2", "-NOCD"] + [f"-D{k}={val}" for k, val in defines.items()]
    cmd.append(os.path.join(source_dir, "resources", "installer.nsi"))
    subprocess.run(cmd, check=True, env=dict(os.environ, SOURCE_DATE_EPOCH=str(commit_time(source_dir))))

    if signing:
        sign(setup_path)
    for path in (program, zip_path, setup_path):
        write_sha256(path)
    write_manifests(out_dir, version, v["PUBLISHER"], setup_path, zip_path)


if __name__ == "__main__":
    if sys.argv[1:2] == ["--sign"]:
        sys.exit(0 if sign(sys.argv[2]) else "--sign: no certificate (BLINKBAR_SIGN_CERT)")
    main(*sys.argv[1:6])
