#!/usr/bin/env bash
# Installs the build into a staging folder and checks that every file a Linux desktop and a user
# expect is there, correct and alone: programs, desktop entry, icons, AppStream metainfo, help.
# Usage: check-install.sh BUILD-DIR SOURCE-DIR STAGING-DIR "PROGRAM..."
set -uo pipefail

build=$1
source=$2
stage=$3
read -r -a programs <<<"$4"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$stage"
if ! cmake --install "$build" --prefix "$stage" >"$stage.log" 2>&1; then
    cat "$stage.log"
    echo "FAIL: cmake --install did not succeed"
    exit 1
fi

icon_sizes=(16 32 48 64 128 256)
expected=(
    share/applications/amplix32.desktop
    share/metainfo/io.github.amplix32.metainfo.xml
    share/icons/hicolor/scalable/apps/amplix32.svg
)
for p in "${programs[@]}"; do expected+=("bin/$p"); done
for s in "${icon_sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/amplix32.png"); done
help_pages=()
for page in "$source"/resources/help/*; do
    help_pages+=("$(basename "$page")")
    expected+=("share/doc/amplix32/help/$(basename "$page")")
done
[ ${#help_pages[@]} -ge 8 ] || fail "only ${#help_pages[@]} help files found in the source tree"

# Every expected file, and nothing else.
for f in "${expected[@]}"; do
    [ -s "$stage/$f" ] || fail "missing or empty: $f"
done
while IFS= read -r f; do
    found=0
    for e in "${expected[@]}"; do [ "$e" = "$f" ] && found=1 && break; done
    [ $found -eq 1 ] || fail "installed but not expected: $f"
done < <(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)

# The programs run from where they were installed.
for p in "${programs[@]}"; do
    [ -x "$stage/bin/$p" ] || fail "not executable: bin/$p"
done
for p in amplix-podsim amplix-patch; do
    [ -x "$stage/bin/$p" ] || continue
    out=$("$stage/bin/$p" --help </dev/null 2>&1)
    rc=$?
    [ $rc -eq 0 ] || fail "bin/$p --help ended with $rc"
    grep -q "Usage: $p" <<<"$out" || fail "bin/$p --help printed no usage: ${out:0:200}"
done

# Each PNG is as large as the folder it sits in says (width and height from the IHDR chunk).
for s in "${icon_sizes[@]}"; do
    png="$stage/share/icons/hicolor/${s}x${s}/apps/amplix32.png"
    [ -s "$png" ] || continue
    [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "not a PNG: $png"
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "${s}x${s} icon is ${w}x${h}"
done
grep -q "<svg" "$stage/share/icons/hicolor/scalable/apps/amplix32.svg" || fail "the scalable icon is no SVG"

# The help pages are the ones the program carries.
for page in "${help_pages[@]}"; do
    cmp -s "$source/resources/help/$page" "$stage/share/doc/amplix32/help/$page" || fail "help page differs: $page"
done

# The desktop entry: valid, starts an installed program, names an installed icon, sits in Audio and Music.
desktop="$stage/share/applications/amplix32.desktop"
if [ -s "$desktop" ]; then
    if out=$(desktop-file-validate "$desktop" 2>&1); then :; else fail "desktop-file-validate: $out"; fi
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$stage/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -s "$stage/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon has no installed picture"
    categories=$(sed -n 's/^Categories=//p' "$desktop")
    for c in Audio Music; do
        [[ ";$categories" == *";$c;"* ]] || fail "Categories=$categories lacks $c"
    done
fi

# The AppStream metainfo: valid, launches the installed desktop entry, lists installed programs.
metainfo="$stage/share/metainfo/io.github.amplix32.metainfo.xml"
if [ -s "$metainfo" ]; then
    if out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then :; else fail "appstreamcli validate: $out"; fi
    launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
    [ -s "$stage/share/applications/$launchable" ] || fail "launchable '$launchable' is not installed"
    stock_icon=$(sed -n 's|.*<icon type="stock">\(.*\)</icon>.*|\1|p' "$metainfo")
    [ "$stock_icon" = "${icon:-}" ] || fail "metainfo icon '$stock_icon' is not the desktop entry's '${icon:-}'"
    binaries=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo")
    [ -n "$binaries" ] || fail "metainfo provides no binary"
    for b in $binaries; do
        [ -x "$stage/bin/$b" ] || fail "metainfo provides $b, which is not installed"
    done
fi

checked=${#expected[@]}
if [ $failures -ne 0 ]; then
    echo "$failures problem(s) in the installation in $stage"
    exit 1
fi
echo "all $checked installed files present and correct in $stage"
