#!/usr/bin/env bash
# The Debian package of a build: made by CPack in a scratch folder, listed
# and read with dpkg-deb, unpacked into a scratch root with dpkg -x and its
# programs run from there; no run path in them nor in the built ones; its
# licence named; its desktop entry validated, each manual page rendered
# without a warning, and lintian reporting no error.
#
#   package_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate man readelf lintian; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup installs it)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $what"
        failed=$((failed + 1))
    fi
}

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack did not make the package"
    exit 1
fi
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

# What it holds and what it says of itself.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/stepdrive ./usr/bin/stepdrive-cli ./usr/bin/stepdrive-sim \
    ./usr/share/applications/stepdrive.desktop \
    ./usr/share/icons/hicolor/scalable/apps/stepdrive.svg \
    ./usr/share/man/man1/stepdrive.1.gz ./usr/share/man/man1/stepdrive-cli.1.gz \
    ./usr/share/man/man1/stepdrive-sim.1.gz ./usr/share/doc/stepdrive/copyright; do
    check "the package holds $path" grep -qx "$path" "$work/contents"
done
check "the package holds the live view module" \
    grep -qE '^\./usr/lib/(.*/)?stepdrive/liveview\.so$' "$work/contents"
field() { dpkg-deb -f "$deb" "$1"; }
check "version $version" test "$(field Version)" = "$version"
check "a maintainer" test -n "$(field Maintainer)"
depends=$(field Depends)
echo "depends: $depends"
check "the Hangul font among the dependencies" grep -q "fonts-nanum" <<<"$depends"
check "Qt's translations among the dependencies" grep -q "qt6-translations-l10n" <<<"$depends"
check "Qt's libraries among the dependencies, from the binaries" \
    grep -q "libqt6serialport6" <<<"$depends"
check "Qt Charts among the dependencies, for the live view" grep -q "libqt6charts6" <<<"$depends"

# Unpacked, the programs run from the scratch root; neither they nor the
# built ones carry a run path (an empty entry is the current folder).
root="$work/root"
dpkg -x "$deb" "$root"
no_run_path() { ! readelf -d "$1" | grep -qE '\((RPATH|RUNPATH)\)'; }
for bin in "$build/app/stepdrive" "$build/cli/stepdrive-cli" "$build/sim/stepdrive-sim"; do
    check "no run path in $bin" no_run_path "$bin"
done
for program in stepdrive stepdrive-cli stepdrive-sim; do
    bin="$root/usr/bin/$program"
    check "$program is stripped" bash -c "! readelf -S --wide '$bin' | grep -q '\.symtab'"
    check "no run path in the packaged $program" no_run_path "$bin"
    env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --version >"$work/version"
    check "$program --version prints $version" test "$(head -1 "$work/version")" = "$program $version"
    check "$program --version names the licence" grep -q "GPL-3.0-or-later" "$work/version"
done
check "the copyright file names the licence" \
    grep -qx "License: GPL-3.0-or-later" "$root/usr/share/doc/stepdrive/copyright"
for program in stepdrive-cli stepdrive-sim; do
    "$root/usr/bin/$program" --help >"$work/help" 2>&1
    status=$?
    check "$program --help exits 0" test "$status" -eq 0
    check "$program --help gives its usage" grep -q "^Usage: $program" "$work/help"
done

# The desktop entry, its icon and the manual pages.
entry="$root/usr/share/applications/stepdrive.desktop"
validation=$(desktop-file-validate "$entry" 2>&1)
check "desktop-file-validate passes: $validation" test -z "$validation"
check "the entry is under Utility and Electronics" grep -qx "Categories=Utility;Electronics;" "$entry"
check "the entry has a Korean name" grep -q "^Name\[ko\]=" "$entry"
check "the entry's icon is an SVG" grep -q "<svg " "$root/usr/share/icons/hicolor/scalable/apps/stepdrive.svg"
for page in "$root"/usr/share/man/man1/*.1.gz; do
    name=$(basename "$page")
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/warnings"
    status=$?
    check "man renders $name" test "$status" -eq 0 -a -s "$work/page"
    check "man renders $name without warnings: $(cat "$work/warnings")" test ! -s "$work/warnings"
    check "$name names version $version" grep -q "stepdrive $version" "$work/page"
done

# lintian: warnings are listed, errors fail.
lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
grep -v "running with root privileges" "$work/lintian"
check "lintian reports no error" bash -c "! grep -q '^E:' '$work/lintian'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
