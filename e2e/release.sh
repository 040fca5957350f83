#!/usr/bin/env bash
# End to end: a signed release, made with a throwaway code-signing certificate created here and
# now. The packaging step signs blinkbar.exe, the uninstaller inside the installer and the
# installer; osslsigncode checks each signature against that certificate, also on the unins000.exe
# an install under Wine leaves behind, and a file with one byte changed fails the check on its
# digest; a signing step that fails for the uninstaller fails the build. The winget and Scoop
# manifests validate against the published schemas (../shared/schemas), name the files by their
# real hashes and carry the addresses given to the build. Only what this run packaged is read.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh, and a built build/windows.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rel=$work/release
rm -rf "$rel" && mkdir -p "$rel"
schemas=$root/../shared/schemas

# The key is encrypted with a password that only a file holds: it shows on no command line.
head -c 24 /dev/urandom | base64 >"$rel/password"
openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -subj "/CN=Blinkbar throwaway signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$rel/key.pem" -out "$rel/cert.pem" -passout "file:$rel/password" >"$rel/openssl.log" 2>&1

# package OUT_DIR [VAR=VALUE...]: the packaging step on the built program, into a folder of this
# run's own (never the build's dist, which an earlier build may have left); prints its exit code.
package() {
  local out=$1
  shift
  env "$@" python3 "$root/scripts/package.py" "$root/build/windows/blinkbar.exe" \
    "$root/build/windows/resources/blinkbar.ico" "$root" "$out" >"$out.log" 2>&1
  echo $?
}
signing=(BLINKBAR_SIGN_CERT="$rel/cert.pem" BLINKBAR_SIGN_KEY="$rel/key.pem"
  BLINKBAR_SIGN_PASSWORD_FILE="$rel/password")
home=https://home.blinkbar.example.net publisher=https://people.blinkbar.example.net
release_url='https://releases.blinkbar.example.net/v$version'
packaged=$(package "$rel/dist" "${signing[@]}" BLINKBAR_HOMEPAGE=$home BLINKBAR_PUBLISHER_URL=$publisher \
  "BLINKBAR_RELEASE_URL=$release_url")
setup=$(ls "$rel"/dist/Blinkbar-*-setup.exe 2>/dev/null | head -n 1)
check "the signed release is packaged" "0 yes" "$packaged $([ -n "$setup" ] && echo yes)"

# "ok" when FILE carries a valid signature by the throwaway certificate, else what was wrong.
signature() {
  local out
  out=$(osslsigncode verify -CAfile "$rel/cert.pem" -in "$1" 2>&1)
  local code=$?
  if [ $code -eq 0 ] && grep -q "Signature verification: ok" <<<"$out" &&
    grep -q "CN=Blinkbar throwaway signer" <<<"$out"; then
    echo ok
  else
    echo "exit $code: $(grep -m2 -iE 'fail|error|mismatch' <<<"$out" | tr '\n' ' ')"
  fi
  echo "$out" >"$rel/verify-$(basename "$(dirname "$1")")-$(basename "$1").log"
}
check "blinkbar.exe, the zip's copy and the installer are signed" "ok ok ok" \
  "$(signature "$rel/dist/blinkbar.exe") $(cd "$rel" && unzip -qo dist/Blinkbar-*-portable.zip && signature "$rel/Blinkbar/blinkbar.exe") $(signature "$setup")"
check "the checksums are those of the signed files" "ok" \
  "$(cd "$rel/dist" && sha256sum -c --quiet ./*.sha256 >/dev/null 2>&1 && echo ok)"
cp "$rel/dist/blinkbar.exe" "$rel/tampered.exe"
printf '\x90' | dd of="$rel/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
signature "$rel/tampered.exe" >/dev/null
check "one byte changed: the digest no longer matches the signed one" "mismatch" \
  "$(grep -q 'Calculated message digest.*MISMATCH' "$rel/verify-release-tampered.exe.log" && echo mismatch || head -c 300 "$rel/verify-release-tampered.exe.log")"

# A signing step that fails for the uninstaller alone (a timestamp server down, say) must fail
# the build, not ship an unsigned uninstaller inside a signed installer. A stand-in osslsigncode
# signs the program and the installer and refuses anything else.
mkdir -p "$rel/bin"
cat >"$rel/bin/osslsigncode" <<'SH'
#!/bin/sh
case "$*" in *blinkbar.exe*|*setup.exe*) exec /usr/bin/osslsigncode "$@" ;; esac
echo "timestamp server unreachable" >&2
exit 1
SH
chmod +x "$rel/bin/osslsigncode"
half=$(package "$rel/half" "${signing[@]}" PATH="$rel/bin:$PATH")
check "the uninstaller's signing fails: the build fails and makes no installer, though the program was signed" \
  "failed none ok" \
  "$([ "$half" != 0 ] && echo failed || echo "exit 0") $(ls "$rel"/half/*setup.exe 2>/dev/null || echo none) $(signature "$rel/half/blinkbar.exe")"

# The uninstaller was signed before NSIS packed it: the installed one carries the signature.
folder_win="$(wine_run cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r\n')\\Blinkbar-Signed"
folder=$(wine_run winepath -u "$folder_win" 2>/dev/null | tr -d '\r\n')
rm -rf "$folder"
wine_run "$setup" /S "/D=$folder_win" >/dev/null 2>&1
check "installed from the signed installer: the uninstaller is signed too" "ok ok" \
  "$(signature "$folder/blinkbar.exe") $(signature "$folder/unins000.exe")"
check "the program's, the installer's and the uninstaller's signatures name the configured home page" "3" \
  "$(cat "$rel/verify-dist-blinkbar.exe.log" "$rel/verify-dist-$(basename "$setup").log" \
    "$rel/verify-Blinkbar-Signed-unins000.exe.log" 2>/dev/null | grep -c "URL description: $home")"
wine_run "$folder/unins000.exe" /S >/dev/null 2>&1
for _ in $(seq 50); do [ -e "$folder/blinkbar.exe" ] || break; sleep 0.2; done
rm -rf "$folder"

# The manifests against the real schemas, and their hashes against the files they name.
manifests=$(/usr/bin/python3 - "$rel/dist" "$schemas" <<'PY'
import glob, hashlib, json, os, sys
import jsonschema, yaml
dist, schemas = sys.argv[1:3]
sha = lambda p: hashlib.sha256(open(p, "rb").read()).hexdigest()
results = []
for path in sorted(glob.glob(os.path.join(dist, "manifests", "winget", "*.yaml"))):
    doc = yaml.safe_load(open(path))
    kind = doc["ManifestType"]
    schema = json.load(open(os.path.join(schemas, "winget", f"manifest.{kind}.1.10.0.json")))
    jsonschema.Draft7Validator(schema).validate(doc)
    if kind == "installer":
        installer = doc["Installers"][0]
        name = installer["InstallerUrl"].rsplit("/", 1)[1]
        assert installer["InstallerSha256"].lower() == sha(os.path.join(dist, name)), "installer hash"
    results.append(f"{kind} valid")
scoop = os.path.join(dist, "manifests", "scoop", "blinkbar.json")
doc = json.load(open(scoop))
jsonschema.Draft7Validator(json.load(open(os.path.join(schemas, "scoop", "schema.json")))).validate(doc)
assert doc["hash"] == sha(os.path.join(dist, doc["url"].rsplit("/", 1)[1])), "zip hash"
results.append("scoop valid")
print(" ".join(results))
PY
)
check "the four manifests validate, and their hashes are the files'" \
  "installer valid defaultLocale valid version valid scoop valid" "$manifests"
addresses=$(/usr/bin/python3 - "$rel/dist/manifests" <<'PY'
import json, sys, yaml
m = sys.argv[1]
installer = yaml.safe_load(open(f"{m}/winget/Blinkbar.Blinkbar.installer.yaml"))
locale = yaml.safe_load(open(f"{m}/winget/Blinkbar.Blinkbar.locale.en-US.yaml"))
scoop = json.load(open(f"{m}/scoop/blinkbar.json"))
print(installer["Installers"][0]["InstallerUrl"], locale["PackageUrl"], locale["PublisherUrl"],
      scoop["homepage"], scoop["url"], scoop["checkver"]["url"], scoop["autoupdate"]["url"],
      "placeholder" in open(f"{m}/scoop/blinkbar.json").read())
PY
)
base=https://releases.blinkbar.example.net
check "the configured addresses reach both manifests, the version in the release address" \
  "$base/v1.02/Blinkbar-1.02-setup.exe $home $publisher $home $base/v1.02/Blinkbar-1.02-portable.zip $home $base/v\$version/Blinkbar-\$version-portable.zip False" \
  "$addresses"
plain=$(package "$rel/plain")
check "without addresses the manifests say theirs are placeholders" "0 yes yes" \
  "$plain $(grep -q placeholder "$rel/plain/manifests/winget/Blinkbar.Blinkbar.installer.yaml" && echo yes) $(grep -q placeholder "$rel/plain/manifests/scoop/blinkbar.json" && echo yes)"
summary
