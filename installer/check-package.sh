#!/usr/bin/env bash
# Checks the packages of an i686 build without running them:
#   installer/check-package.sh <build-dir>
# - the installer's payload and the zip hold exactly the shipped files (kestrin.exe, and the help
#   file when the build has one) as built (the program without its symbol table), plus the
#   uninstaller the installer writes; the installer carries the program's icon;
# - kestrin.exe carries a well-formed manifest as resource 1 (common controls 6, asInvoker, the
#   Windows versions it supports, system DPI awareness) and the VERSIONINFO 3.3.0.1220; the
#   installer asks for no administrator rights and carries the same version.
set -uo pipefail
build=$(cd "${1:?usage: check-package.sh <build-dir>}" && pwd)
version=3.3.0.1220
pkg="$build/package"
setup="$pkg/kestrin-$version-setup.exe"
zip="$pkg/kestrin-$version-win32.zip"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "check-package: FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "check-package: ok: $*"; }

command -v 7z >/dev/null || { echo "check-package: FAILED: 7z missing (scripts/setup-deps.sh installs p7zip-full)"; exit 1; }
for f in "$setup" "$zip"; do
  [ -f "$f" ] || { echo "check-package: FAILED: $f was not built (is makensis installed? scripts/setup-deps.sh installs nsis)"; exit 1; }
done

# What must ship, decided from the build itself.
expected="kestrin.exe"
[ -f "$build/bin/kestrinhelp.chm" ] && expected+=$'\nkestrinhelp.chm'
expected=$(echo "$expected" | sort)

# Installer payload: the files outside the NSIS plug-in folder.
payload=$(7z l -slt "$setup" 2>/dev/null | sed -n '/^----------/,$ s/^Path = //p' | grep -v '^\$PLUGINSDIR' | sort)
want=$(printf '%s\nuninstall.exe\n' "$expected" | sort)
if [ "$payload" = "$want" ]; then ok "installer payload: $(echo "$payload" | tr '\n' ' ')"
else fail "installer payload is [$(echo "$payload" | tr '\n' ' ')], expected [$(echo "$want" | tr '\n' ' ')]"; fi

mkdir -p "$work/setup" "$work/zip"
7z x -y -o"$work/setup" "$setup" >/dev/null 2>&1 || fail "7z could not unpack the installer"
7z x -y -o"$work/zip" "$zip" >/dev/null 2>&1 || fail "7z could not unpack the zip"
zipped=$(cd "$work/zip" && find . -mindepth 1 | sed 's|^\./||' | sort)
want_zip=$( (echo Kestrin; echo "$expected" | sed 's|^|Kestrin/|') | sort)
if [ "$zipped" = "$want_zip" ]; then ok "zip entries: $(echo "$zipped" | tr '\n' ' ')"
else fail "zip holds [$(echo "$zipped" | tr '\n' ' ')], expected [$(echo "$want_zip" | tr '\n' ' ')]"; fi
# The program ships without its symbol table, everything else as built.
mkdir -p "$work/built"
while read -r f; do
  case "$f" in
    *.exe) built_at=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(512); print(struct.unpack_from("<I",d,struct.unpack_from("<I",d,60)[0]+8)[0])' "$build/bin/$f")
           SOURCE_DATE_EPOCH=$built_at i686-w64-mingw32-strip --strip-all -o "$work/built/$f" "$build/bin/$f" \
             || fail "could not strip $f for the comparison" ;;
    *) cp "$build/bin/$f" "$work/built/$f" ;;
  esac
  cmp -s "$work/built/$f" "$work/setup/$f" || fail "the installer's $f differs from the build's"
  cmp -s "$work/built/$f" "$work/zip/Kestrin/$f" || fail "the zip's $f differs from the build's"
done <<<"$expected"
if i686-w64-mingw32-nm "$work/setup/kestrin.exe" 2>&1 | grep -q "no symbols"; then ok "kestrin.exe ships without symbols"
else fail "the shipped kestrin.exe still carries symbols"; fi
# The installer shows the program's icon, not NSIS's: the same images, by their sizes.
ico_sizes=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); n=struct.unpack_from("<H",d,4)[0]; print(" ".join(sorted(str(struct.unpack_from("<I",d,6+16*i+8)[0]) for i in range(n))))' "$build/res/kestrin.ico")
setup_sizes=$(7z l -slt -tPE "$setup" 2>/dev/null | awk '/^Path = \.rsrc\/ICON\//{p=1;next} p&&/^Packed Size = /{print $4;p=0}' | tr -d '\r' | sort | tr '\n' ' ' | sed 's/ $//')
[ "$setup_sizes" = "$ico_sizes" ] && ok "installer carries the program's icon" \
  || fail "installer icon images [$setup_sizes], the program's icon [$ico_sizes]"

# Resources, as 7z reads them from the PE files (the manifest raw, VERSIONINFO as UTF-16 text).
7z e -so "$build/bin/kestrin.exe" '.rsrc/MANIFEST/1' >"$work/kestrin.manifest" 2>/dev/null
7z e -so "$build/bin/kestrin.exe" '.rsrc/version.txt' 2>/dev/null | iconv -f UTF-16LE -t UTF-8 >"$work/kestrin.version"
7z e -so -tPE "$setup" '.rsrc/MANIFEST/1' >"$work/setup.manifest" 2>/dev/null
7z e -so -tPE "$setup" '.rsrc/version.txt' 2>/dev/null | iconv -f UTF-16LE -t UTF-8 >"$work/setup.version"
for f in kestrin.manifest kestrin.version setup.manifest setup.version; do
  [ -s "$work/$f" ] || fail "no resource read for $f (manifest must be resource 1 of type 24)"
done

python3 - "$work" "$version" <<'EOF' || failures=$((failures + 1))
import re, sys
import xml.etree.ElementTree as ET
work, version = sys.argv[1], sys.argv[2]
bad = []
V1 = "{urn:schemas-microsoft-com:asm.v1}"
V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WS2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
OS = {"7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
      "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}

def manifest(name, need_comctl):
    try:
        root = ET.parse(f"{work}/{name}").getroot()
    except ET.ParseError as e:
        bad.append(f"{name}: not well-formed XML ({e}); Windows would refuse to start the program")
        return
    if root.tag != V1 + "assembly" or root.get("manifestVersion") != "1.0":
        bad.append(f"{name}: root is {root.tag}, not an asm.v1 assembly of manifestVersion 1.0")
    levels = [e.get("level") for e in root.iter(V3 + "requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        bad.append(f"{name}: requestedExecutionLevel {levels}, expected ['asInvoker']")
    if need_comctl:
        deps = [e for e in root.iter(V1 + "assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
        ok = [e for e in deps if e.get("version") == "6.0.0.0" and e.get("type") == "win32"
              and e.get("publicKeyToken") == "6595b64144ccf1df"]
        if not ok:
            bad.append(f"{name}: no dependency on Microsoft.Windows.Common-Controls 6.0.0.0 (token 6595b64144ccf1df)")
        ids = {e.get("Id", "").lower() for e in root.iter(COMPAT + "supportedOS")}
        for os_name, guid in OS.items():
            if guid not in ids:
                bad.append(f"{name}: supportedOS of Windows {os_name} missing")
        # System DPI aware: the windows are laid out once for the screen's DPI. Per-monitor
        # awareness would promise to handle WM_DPICHANGED, which the program does not.
        aware = [(e.text or "").strip().lower()
                 for app in root.findall(V3 + "application")
                 for settings in app.findall(V3 + "windowsSettings")
                 for e in settings.findall(WS2005 + "dpiAware")]
        if aware != ["true"]:
            bad.append(f"{name}: dpiAware under asm.v3 application/windowsSettings is {aware}, expected ['true']")
        newer = [(e.text or "").strip() for e in root.iter(WS2016 + "dpiAwareness")]
        if any(v.lower() != "system" for v in newer):
            bad.append(f"{name}: dpiAwareness {newer} overrides dpiAware with another awareness than system")

def versioninfo(name, fixed):
    text = open(f"{work}/{name}", encoding="utf-8", errors="replace").read()
    if fixed:
        for key in ("FILEVERSION", "PRODUCTVERSION"):
            m = re.search(rf"^\s*{key}\s+([0-9 ,]+)$", text, re.M)
            got = m.group(1).replace(" ", "") if m else None
            if got != version.replace(".", ","):
                bad.append(f"{name}: {key} is {got}, expected {version}")
    for key in ("FileVersion", "ProductVersion"):
        m = re.search(rf'VALUE\s+"{key}",\s*"([^"]*)"', text)
        got = m.group(1) if m else None
        if got != version:
            bad.append(f"{name}: {key} string is {got}, expected {version}")

manifest("kestrin.manifest", True)
versioninfo("kestrin.version", True)
manifest("setup.manifest", False)
versioninfo("setup.version", True)
for b in bad:
    print("check-package: FAILED:", b)
if not bad:
    print("check-package: ok: manifests (common controls 6, asInvoker, supported Windows, system DPI aware) and versions", version)
sys.exit(1 if bad else 0)
EOF

if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures check(s) failed"
  exit 1
fi
echo "check-package: all checks passed"
