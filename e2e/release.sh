#!/usr/bin/env bash
# End to end: a signed release, made with a throwaway code-signing certificate created here and
# now. The packaging step signs blinkbar.exe, the uninstaller inside the installer and the
# installer; osslsigncode checks each signature against that certificate, also on the unins000.exe
# an install under Wine leaves behind, and a file with one byte changed fails the check. The
# winget and Scoop manifests validate against the published schemas (../shared/schemas) and name
# the files by their real hashes.
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

BLINKBAR_SIGN_CERT=$rel/cert.pem BLINKBAR_SIGN_KEY=$rel/key.pem \
  BLINKBAR_SIGN_PASSWORD_FILE=$rel/password BLINKBAR_RELEASE_URL=https://releases.blinkbar.example.org/ \
  python3 "$root/scripts/package.py" "$root/build/windows/blinkbar.exe" \
  "$root/build/windows/resources/blinkbar.ico" "$root" "$rel/dist" >"$rel/package.log" 2>&1
setup=$(ls "$rel"/dist/Blinkbar-*-setup.exe 2>/dev/null | head -n 1)

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
  echo "$out" >"$rel/verify-$(basename "$1").log"
}
check "blinkbar.exe, the zip's copy and the installer are signed" "ok ok ok" \
  "$(signature "$rel/dist/blinkbar.exe") $(cd "$rel" && unzip -qo dist/Blinkbar-*-portable.zip && signature "$rel/Blinkbar/blinkbar.exe") $(signature "$setup")"
check "the checksums are those of the signed files" "ok" \
  "$(cd "$rel/dist" && sha256sum -c --quiet ./*.sha256 >/dev/null 2>&1 && echo ok)"
cp "$rel/dist/blinkbar.exe" "$rel/tampered.exe"
printf '\x90' | dd of="$rel/tampered.exe" bs=1 seek=4096 conv=notrunc status=none
check_match "one byte changed: the signature no longer verifies" '^exit [1-9]' "$(signature "$rel/tampered.exe")"

# The uninstaller was signed before NSIS packed it: the installed one carries the signature.
folder_win="$(wine_run cmd /c echo '%LOCALAPPDATA%' 2>/dev/null | tr -d '\r\n')\\Blinkbar-Signed"
folder=$(wine_run winepath -u "$folder_win" 2>/dev/null | tr -d '\r\n')
rm -rf "$folder"
wine_run "$setup" /S "/D=$folder_win" >/dev/null 2>&1
check "installed from the signed installer: the uninstaller is signed too" "ok ok" \
  "$(signature "$folder/blinkbar.exe") $(signature "$folder/unins000.exe")"
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
check "without a release address the manifests say their addresses are placeholders" "yes yes" \
  "$(grep -q placeholder "$root/build/windows/dist/manifests/winget/Blinkbar.Blinkbar.installer.yaml" && echo yes) $(grep -q placeholder "$root/build/windows/dist/manifests/scoop/blinkbar.json" && echo yes)"
summary
