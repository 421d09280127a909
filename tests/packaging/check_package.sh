#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a finished build tree, has lintian check it
# (any error or warning fails), unpacks it into a throwaway root and checks
# what an installed system would get: the files and their places, the
# licence and changelog, the desktop entry, the AppStream metainfo, the manual
# pages, the computed and the font dependencies, and that the installed
# program starts and shows its window.
#
#   check_package.sh CPACK BUILD_DIR SOURCE_DIR MUXCONFIG MUXSIM
#
# MUXCONFIG and MUXSIM are the built programs ($<TARGET_FILE:...>).
#
# Exits 77 (reported by ctest as skipped) only when a tool it needs is not
# installed or the build has no program to package; every other problem is a
# failure.
set -uo pipefail

cpack=$1
build_dir=$2
source_dir=$3
built_programs=("$4" "$5")

readonly title='Konfiguracja multipleksera LAN (v1.10)'
readonly app_id=pl.muxconfig.muxconfig
readonly icon_sizes=(16 22 24 32 48 64 128 256)

failures=0
failures_before=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Reports a group of checks as passed when none of them failed.
pass() {
    ((failures == failures_before)) && echo "ok:   $*"
    failures_before=$failures
}
skip() { echo "SKIP: $*"; exit 77; }

# Tool -> Debian package that brings it (scripts/deps installs them all).
declare -A tool_package=(
    [dpkg-deb]=dpkg [dpkg-shlibdeps]=dpkg-dev [desktop-file-validate]=desktop-file-utils
    [appstreamcli]=appstream [groff]=groff-base [man]=man-db [file]=file
    [readelf]=binutils [xvfb-run]=xvfb [xdotool]=xdotool [xprop]=x11-utils [unshare]=util-linux
    [timeout]=coreutils [ip]=iproute2 [lintian]=lintian
)
for tool in "${!tool_package[@]}"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (Debian package ${tool_package[$tool]})"
done
[[ -f /usr/share/bash-completion/bash_completion ]] || skip "bash-completion is not installed"
[[ -x $cpack ]] || skip "cpack not found at $cpack"
for program in "${built_programs[@]}"; do
    [[ -x $program ]] || skip "this build has no $(basename "$program") to package yet"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/muxconfig-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- build the package ------------------------------------------------------
# The build tree's own CPack configuration, writing into the scratch directory
# so the tree is left as it was.
cat >"$work/cpack.cmake" <<EOF
include("$build_dir/CPackConfig.cmake")
set(CPACK_PACKAGE_DIRECTORY "$work/out")
EOF
if ! (cd "$build_dir" && "$cpack" --config "$work/cpack.cmake") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
shopt -s nullglob
debs=("$work"/out/muxconfig_*.deb)
shopt -u nullglob
if ((${#debs[@]} != 1)); then
    cat "$work/cpack.log"
    echo "FAIL: expected one muxconfig_*.deb, found ${#debs[@]}"
    exit 1
fi
deb=${debs[0]}
echo "ok:   built $(basename "$deb")"

# --- control fields ---------------------------------------------------------
[[ $(dpkg-deb -f "$deb" Package) == muxconfig ]] || fail "package name is not muxconfig"
[[ $(dpkg-deb -f "$deb" Section) == net ]] || fail "section is not net"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no maintainer"
[[ -n $(dpkg-deb -f "$deb" Description) ]] || fail "no description"
depends=$(dpkg-deb -f "$deb" Depends)
echo "      Depends: $depends"
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    # dpkg-shlibdeps writes each library package with its minimum version.
    [[ ", $depends" == *", $lib (>= "* ]] || fail "Depends lacks a computed \"$lib (>= version)\""
done
grep -q 'libasan\|libubsan' <<<"$depends" && fail "Depends names sanitizer runtimes"
# The fonts the window's layout is measured with.
for font in fonts-liberation2 fonts-dejavu-core; do
    [[ ", $depends," == *", $font,"* ]] || fail "Depends lacks $font"
done
# The address-conflict probe runs iputils' arping.
[[ ", $depends," == *", iputils-arping,"* ]] || fail "Depends lacks iputils-arping"
[[ $(dpkg-deb -f "$deb" Version) == *-* ]] || fail "version has no Debian revision (changelog.Debian.gz needs one)"
pass "control fields"

# --- lintian ----------------------------------------------------------------
# Overridden tags are shown too (O:), so an override cannot hide silently.
lintian_out=$(lintian --no-tag-display-limit --show-overrides "$deb" 2>"$work/lintian.err")
lintian_status=$?
if ((lintian_status > 1)); then
    cat "$work/lintian.err"
    fail "lintian could not check the package (status $lintian_status)"
fi
[[ -n $lintian_out ]] && sed 's/^/      /' <<<"$lintian_out"
grep -Eq '^[EW]: ' <<<"$lintian_out" && fail "lintian reports errors or warnings"
pass "lintian"

# --- files in their places --------------------------------------------------
root=$work/root
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x"; exit 1; }
expected=(
    usr/bin/muxconfig
    usr/bin/muxsim
    usr/share/applications/muxconfig.desktop
    "usr/share/metainfo/$app_id.metainfo.xml"
    usr/share/icons/hicolor/scalable/apps/muxconfig.svg
    usr/share/man/man1/muxconfig.1.gz
    usr/share/man/man1/muxsim.1.gz
    usr/share/bash-completion/completions/muxconfig
    usr/share/doc/muxconfig/copyright
    usr/share/doc/muxconfig/changelog.Debian.gz
    usr/share/doc/muxconfig/examples/apply.yml
    usr/share/doc/muxconfig/examples/inventory.ini
    usr/share/lintian/overrides/muxconfig
)
for size in "${icon_sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/muxconfig.png")
done
for path in "${expected[@]}"; do
    [[ -f $root/$path ]] || fail "missing /$path"
done
# Nothing else: no test programs, nothing outside /usr.
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [[ $actual != "$wanted" ]]; then
    fail "unexpected file set:"
    diff <(echo "$wanted") <(echo "$actual") | sed 's/^/      /'
fi
for program in muxconfig muxsim; do
    binary=$root/usr/bin/$program
    [[ -x $binary ]] || fail "/usr/bin/$program is not executable"
    file -b "$binary" | grep -q 'ELF.*, stripped' || fail "/usr/bin/$program is not a stripped ELF program"
    readelf -d "$binary" | grep -Eq 'RPATH|RUNPATH' && fail "/usr/bin/$program carries a build-tree RPATH"
done
for size in "${icon_sizes[@]}"; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/muxconfig.png
    file -b "$png" | grep -q "PNG image data, $size x $size," || fail "${size}x${size} icon is not a $size x $size PNG"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/muxconfig.svg" || fail "scalable icon is not SVG"
pass "file layout"

# --- licence and changelog --------------------------------------------------
doc=$root/usr/share/doc/muxconfig
head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "copyright is not in the machine-readable format"
grep -q '^License: Expat$' "$doc/copyright" && grep -q '^Copyright: 2026 muxconfig developers$' "$doc/copyright" \
    || fail "copyright does not give the MIT (Expat) licence of the muxconfig developers"
version=$(dpkg-deb -f "$deb" Version)
zcat "$doc/changelog.Debian.gz" | head -1 | grep -qF "muxconfig ($version) " \
    || fail "the newest changelog entry is not version $version"
pass "licence and changelog"

# --- examples and completion ------------------------------------------------
for example in apply.yml inventory.ini; do
    cmp -s "$doc/examples/$example" "$source_dir/docs/fleet/$example" \
        || fail "examples/$example is not the playbook of docs/fleet"
done
# The installed completion, driven as bash-completion drives it.
complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _muxconfig muxconfig "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"; echo "${COMPREPLY[*]}"' \
        _ "$root/usr/share/bash-completion/completions/muxconfig" "$@"
}
[[ $(complete_words muxconfig c) == check ]] || fail "completion of \"muxconfig c\": $(complete_words muxconfig c)"
[[ $(complete_words muxconfig --format=j) == "json jsonl" ]] || fail "completion of --format=j"
[[ $(complete_words muxconfig apply plan.csv --det) == --detailed-exitcode ]] || fail "completion of --det"
[[ $(complete_words muxconfig history --m) == --mac ]] || fail "completion of history --m"
[[ $(complete_words muxconfig -) == *" -h "* ]] || fail "completion of -"
pass "examples and completion"

# --- desktop entry ----------------------------------------------------------
desktop=$root/usr/share/applications/muxconfig.desktop
if out=$(desktop-file-validate "$desktop" 2>&1); then
    # Hints (the two main categories) are advice; errors and warnings are not.
    grep -Ei 'error|warning' <<<"$out" && fail "desktop-file-validate warns"
else
    echo "$out"; fail "desktop-file-validate rejects the desktop entry"
fi
key() { grep -E "^$1=" "$desktop" | head -1 | cut -d= -f2-; }
[[ $(key Exec) == muxconfig ]] || fail "desktop Exec is not muxconfig"
[[ $(key Icon) == muxconfig ]] || fail "desktop Icon is not muxconfig"
[[ $(key Name) == 'Konfiguracja multipleksera LAN' ]] || fail "desktop Name is not the Polish name"
[[ -n $(key 'Name\[en\]') && -n $(key 'Comment\[en\]') ]] || fail "desktop entry has no English name or comment"
[[ -n $(key Comment) ]] || fail "desktop entry has no comment"
grep -Eq '^Categories=.*Network;' "$desktop" && grep -Eq '^Categories=.*Settings;' "$desktop" \
    || fail "desktop Categories lack Network and Settings"
pass "desktop entry"

# --- AppStream metainfo -----------------------------------------------------
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
if ! out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
    echo "$out"; fail "appstreamcli validate rejects the metainfo"
fi
grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q '<launchable type="desktop-id">muxconfig.desktop</launchable>' "$metainfo" \
    || fail "metainfo does not launch muxconfig.desktop"
pass "metainfo"

# --- manual pages -----------------------------------------------------------
for page in muxconfig muxsim; do
    gz=$root/usr/share/man/man1/$page.1.gz
    out=$(zcat "$gz" | groff -ww -man -z 2>&1)
    [[ -z $out ]] || { echo "$out"; fail "groff warns on $page(1)"; }
    for locale in C C.UTF-8; do
        out=$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$gz" 2>&1 >"$work/$page.txt")
        [[ -z $out ]] || { echo "$out"; fail "man warns on $page(1) in locale $locale"; }
    done
    grep -q '^NAME' "$work/$page.txt" && grep -q "^ *$page - " "$work/$page.txt" \
        || fail "$page(1) has no NAME line"
    grep -q '^EXIT STATUS' "$work/$page.txt" || fail "$page(1) has no EXIT STATUS section"
    grep -q '65535' "$work/$page.txt" || fail "$page(1) does not name port 65535"
done
for fact in 1153 255.255.255.255 'permanent' 'FILES'; do
    grep -q "$fact" "$work/muxconfig.txt" || fail "muxconfig(1) does not mention $fact"
done
pass "manual pages"

# --- the installed programs start -------------------------------------------
# scripts/netlab runs them in a private network namespace (unshare --net) with
# a simulated LAN, so the program's discovery broadcast stays inside it and
# reaches the simulator there.
"$source_dir/scripts/netlab" "$(dirname "$0")/start_installed.sh" "$root" "$work" "$title" \
    "$(key StartupWMClass)" \
    || fail "the installed programs do not start as they should"

if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "package checks passed"
