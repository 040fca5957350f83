"""A signed release, made with a throwaway code-signing certificate created here and now: the
packaging step signs blinkbar.exe, the uninstaller inside the installer and the installer; each
signature checks against that certificate, also on the unins000.exe an install under Wine leaves
behind; a byte changed fails the digest; a signing step that fails for the uninstaller fails the
build. The winget and Scoop manifests validate against the published schemas, name the files by
their real hashes and carry the addresses given to the build. Only what this run packaged is read."""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path
from types import SimpleNamespace

import jsonschema
import pytest
import yaml

from harness import ROOT, wait_until

SCHEMAS = ROOT.parent / "shared/schemas"
HOME, PUBLISHER = "https://home.blinkbar.example.net", "https://people.blinkbar.example.net"
BASE = "https://releases.blinkbar.example.net"


def package(out, **env):
    """The packaging step on the built program, into a folder of this run's own; its exit code."""
    with open(f"{out}.log", "wb") as log:
        return subprocess.run([sys.executable, ROOT / "scripts/package.py", ROOT / "build/windows/blinkbar.exe",
                               ROOT / "build/windows/resources/blinkbar.ico", ROOT, out],
                              env={**os.environ, **env}, stdout=log, stderr=subprocess.STDOUT).returncode


def signature(rel, path):
    """"ok" when the file carries a valid signature by the throwaway certificate, else what was
    wrong; the whole report is kept in rel/verify-FOLDER-FILE.log."""
    run = subprocess.run(["osslsigncode", "verify", "-CAfile", rel / "cert.pem", "-in", path], capture_output=True, text=True)
    out = run.stdout + run.stderr
    (rel / f"verify-{path.parent.name}-{path.name}.log").write_text(out)
    if run.returncode == 0 and "Signature verification: ok" in out and "CN=Blinkbar throwaway signer" in out:
        return "ok"
    return f"exit {run.returncode}: " + " ".join(re.findall(r".*(?:fail|error|mismatch).*", out, re.I)[:2])


def sha(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


@pytest.fixture(scope="module")
def release(module_lane):
    """The signed release of this run, packaged once for the cases below."""
    r = SimpleNamespace(lane=module_lane)
    rel = r.rel = r.lane.work / "a-signed-release"
    shutil.rmtree(rel, ignore_errors=True)
    rel.mkdir(parents=True)
    # The key is encrypted with a password that only a file holds: it shows on no command line.
    (rel / "password").write_bytes(os.urandom(18).hex().encode())
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-sha256", "-days", "2", "-subj",
                    "/CN=Blinkbar throwaway signer", "-addext", "keyUsage=critical,digitalSignature",
                    "-addext", "extendedKeyUsage=codeSigning", "-keyout", rel / "key.pem", "-out", rel / "cert.pem",
                    "-passout", f"file:{rel / 'password'}"], capture_output=True, check=True)
    r.signing = {"BLINKBAR_SIGN_CERT": str(rel / "cert.pem"), "BLINKBAR_SIGN_KEY": str(rel / "key.pem"),
                 "BLINKBAR_SIGN_PASSWORD_FILE": str(rel / "password")}
    r.dist = rel / "dist"
    r.packaged = package(r.dist, **r.signing, BLINKBAR_HOMEPAGE=HOME, BLINKBAR_PUBLISHER_URL=PUBLISHER,
                         BLINKBAR_RELEASE_URL=BASE + "/v$version")
    r.setup = next(r.dist.glob("Blinkbar-*-setup.exe"), r.dist / "no setup packaged")
    return r


def test_the_signed_release_is_packaged_signed_and_checksummed(release):
    rel, dist = release.rel, release.dist
    assert release.packaged == 0, "the signed release is packaged"
    with zipfile.ZipFile(next(dist.glob("Blinkbar-*-portable.zip"))) as z:
        z.extractall(rel)
    assert [signature(rel, p) for p in (dist / "blinkbar.exe", rel / "Blinkbar/blinkbar.exe", release.setup,
                                        dist / "stage/plugins/BlinkbarSetup.dll")] == ["ok"] * 4, \
        "blinkbar.exe, the zip's copy, the installer and the plugin it packs are signed"
    assert subprocess.run("sha256sum -c --quiet ./*.sha256", shell=True, cwd=dist, capture_output=True).returncode == 0, \
        "the checksums are those of the signed files"


def test_a_byte_changed_fails_the_digest(release):
    rel = release.rel
    tampered = bytearray((release.dist / "blinkbar.exe").read_bytes())
    tampered[4096] = 0x90
    (rel / "tampered.exe").write_bytes(tampered)
    signature(rel, rel / "tampered.exe")
    assert re.search("Calculated message digest.*MISMATCH", (rel / f"verify-{rel.name}-tampered.exe.log").read_text()), \
        "one byte changed: the digest no longer matches the signed one"


def test_a_failing_signing_step_for_the_uninstaller_fails_the_build(release):
    # A signing step that fails for the uninstaller alone (a timestamp server down, say) must
    # fail the build, not ship an unsigned uninstaller inside a signed installer. A stand-in
    # osslsigncode signs the program, the plugin and the installer, and refuses anything else.
    rel = release.rel
    (rel / "bin").mkdir()
    (rel / "bin/osslsigncode").write_text('#!/bin/sh\ncase "$*" in *blinkbar.exe*|*setup.exe*|*BlinkbarSetup.dll*) exec /usr/bin/osslsigncode "$@" ;; esac\n'
                                          'echo "timestamp server unreachable" >&2\nexit 1\n')
    (rel / "bin/osslsigncode").chmod(0o755)
    half = package(rel / "half", **release.signing, PATH=f"{rel / 'bin'}:{os.environ['PATH']}")
    assert (half != 0, list((rel / "half").glob("*setup.exe")), signature(rel, rel / "half/blinkbar.exe")) == (True, [], "ok"), \
        "the uninstaller's signing fails: the build fails and makes no installer, though the program was signed"


def test_an_installed_uninstaller_carries_the_signature(release):
    # The uninstaller was signed before NSIS packed it: the installed one carries the signature.
    lane, rel, setup = release.lane, release.rel, release.setup
    folder_win = lane.run_output(["cmd", "/c", "echo", "%LOCALAPPDATA%"]).strip() + r"\Blinkbar-Signed"
    folder = Path(lane.run_output(["winepath", "-u", folder_win]).strip())
    shutil.rmtree(folder, ignore_errors=True)
    lane.run([setup, "/S", f"/D={folder_win}"])
    assert [signature(rel, folder / n) for n in ("blinkbar.exe", "unins000.exe")] == ["ok", "ok"], \
        "installed from the signed installer: the uninstaller is signed too"
    signature(rel, release.dist / "blinkbar.exe")
    signature(rel, setup)
    logs = [rel / "verify-dist-blinkbar.exe.log", rel / f"verify-dist-{setup.name}.log", rel / "verify-Blinkbar-Signed-unins000.exe.log"]
    assert sum(f"URL description: {HOME}" in p.read_text() for p in logs) == 3, \
        "the program's, the installer's and the uninstaller's signatures name the configured home page"
    lane.run([folder / "unins000.exe", "/S"])
    wait_until(lambda: (folder / "blinkbar.exe").exists(), False, 10, "the signed install removed")
    shutil.rmtree(folder, ignore_errors=True)


def test_the_manifests_validate_and_name_the_files_by_their_hashes(release):
    dist = release.dist
    valid = []
    for path in sorted((dist / "manifests/winget").glob("*.yaml")):
        doc = yaml.safe_load(path.read_text())
        kind = doc["ManifestType"]
        jsonschema.Draft7Validator(json.loads((SCHEMAS / f"winget/manifest.{kind}.1.10.0.json").read_text())).validate(doc)
        if kind == "installer":
            installer = doc["Installers"][0]
            assert installer["InstallerSha256"].lower() == sha(dist / installer["InstallerUrl"].rsplit("/", 1)[1]), "installer hash"
        valid.append(kind)
    scoop = json.loads((dist / "manifests/scoop/blinkbar.json").read_text())
    jsonschema.Draft7Validator(json.loads((SCHEMAS / "scoop/schema.json").read_text())).validate(scoop)
    assert scoop["hash"] == sha(dist / scoop["url"].rsplit("/", 1)[1]), "zip hash"
    assert valid == ["installer", "defaultLocale", "version"], "the four manifests validate, and their hashes are the files'"


def test_the_manifests_carry_the_configured_addresses(release):
    dist = release.dist
    installer = yaml.safe_load((dist / "manifests/winget/Blinkbar.Blinkbar.installer.yaml").read_text())
    installer_url = installer["Installers"][0]["InstallerUrl"]
    locale = yaml.safe_load((dist / "manifests/winget/Blinkbar.Blinkbar.locale.en-US.yaml").read_text())
    scoop = json.loads((dist / "manifests/scoop/blinkbar.json").read_text())
    assert [installer_url, locale["PackageUrl"], locale["PublisherUrl"], scoop["homepage"], scoop["url"],
            scoop["checkver"]["url"], scoop["autoupdate"]["url"], "placeholder" in json.dumps(scoop)] == \
        [f"{BASE}/v1.02/Blinkbar-1.02-setup.exe", HOME, PUBLISHER, HOME, f"{BASE}/v1.02/Blinkbar-1.02-portable.zip",
         HOME, BASE + "/v$version/Blinkbar-$version-portable.zip", False], \
        "the configured addresses reach both manifests, the version in the release address"


def test_without_addresses_the_manifests_say_theirs_are_placeholders(release):
    rel = release.rel
    plain = rel / "plain"
    assert (package(plain), "placeholder" in (plain / "manifests/winget/Blinkbar.Blinkbar.installer.yaml").read_text(),
            "placeholder" in (plain / "manifests/scoop/blinkbar.json").read_text()) == (0, True, True), \
        "without addresses the manifests say theirs are placeholders"
