#!/usr/bin/env bash
# The differential check of the profile functions: the simulated desktop's answers against
# Wine's on the same cases (cases.txt), step by step. Differences listed in known_differences.txt
# are expected; any other one, or a listed one that is gone, fails the check.
#
# Making a Wine prefix takes minutes, so this borrows one: LUMRA_WINEPREFIX, or else a private
# copy (a couple of seconds) of the prefix template the end-to-end harness keeps under
# build/e2e/prefix-template. Without either, or without Wine or the 64-bit MinGW compiler, the
# check is skipped (exit 77).
#   run_diff.sh <repo-root> <host-program> <work-dir>
set -euo pipefail

root=$(realpath "$1") host=$(realpath "$2") work=$(realpath -m "$3")
here="$root/tests/fuzz/ini_diff"
skip() {
    echo "ini_diff: skipped: $*"
    exit 77
}

wine64=$(command -v wine64 || true)
[ -n "$wine64" ] || [ ! -x /usr/lib/wine/wine64 ] || wine64=/usr/lib/wine/wine64
[ -n "$wine64" ] || skip "no wine64 (scripts/setup installs it)"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
command -v x86_64-w64-mingw32-g++ >/dev/null || skip "no x86_64-w64-mingw32-g++ (scripts/setup installs it)"

mkdir -p "$work"
prefix=${LUMRA_WINEPREFIX:-}
if [ -z "$prefix" ]; then
    template=
    for reg in "$root"/build/e2e/prefix-template/*-win64/system.reg; do
        [ -f "$reg" ] && template=$(dirname "$reg")
    done
    [ -n "$template" ] || skip "no Wine prefix: none under build/e2e/prefix-template (the e2e tests make it) and no LUMRA_WINEPREFIX"
    prefix="$work/prefix"
    rm -rf "$prefix"
    cp -a --reflink=auto "$template" "$prefix"
    # The copy is ours: end its server, then remove it.
    trap 'WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
fi
[ -f "$prefix/system.reg" ] || skip "$prefix is no Wine prefix"

exe="$work/ini_diff.exe"
if [ ! -x "$exe" ] || [ "$here/ini_diff.cpp" -nt "$exe" ]; then
    x86_64-w64-mingw32-g++ -std=c++17 -O1 -Wall -Wextra -static -o "$exe" "$here/ini_diff.cpp"
fi
rm -rf "$work/files"
mkdir -p "$work/files"

# Wine reaches the host's files through drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

"$host" "$here/cases.txt" 'C:\diff\' >"$work/sim.txt"
# Code page 932, as Lumra runs.
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    timeout 300 "$wine64" "$exe" "$(winpath "$here/cases.txt")" "$(winpath "$work/files")\\" |
    tr -d '\r' >"$work/wine.txt"
[ -s "$work/wine.txt" ] || { echo "ini_diff: Wine gave no answers" >&2; exit 1; }

python3 - "$work/wine.txt" "$work/sim.txt" "$here/known_differences.txt" <<'PY'
import sys

def steps(path):
    answers = {}
    for line in open(path, encoding="latin-1"):
        step, _, answer = line.rstrip("\n").partition(" ")
        answers[step] = answer
    return answers

wine, sim = steps(sys.argv[1]), steps(sys.argv[2])
known = {}
for line in open(sys.argv[3], encoding="utf-8"):
    if line.strip() and not line.startswith("#"):
        step, _, why = line.strip().partition(" ")
        known[step] = why
if wine.keys() != sim.keys():
    sys.exit(f"ini_diff: the two runs took other steps: {sorted(wine.keys() ^ sim.keys())}")
differ = {s for s in wine if wine[s] != sim[s]}
for s in sorted(differ):
    tag = "known" if s in known else "NEW"
    print(f"{tag} difference at {s}:\n  Wine:      {wine[s][:160]}\n  simulated: {sim[s][:160]}")
    if s in known:
        print(f"  ({known[s]})")
bad = False
if differ - known.keys():
    print(f"ini_diff: unexpected differences: {sorted(differ - known.keys())}", file=sys.stderr)
    bad = True
if known.keys() - differ:
    print(f"ini_diff: listed differences that are gone (update known_differences.txt): "
          f"{sorted(known.keys() - differ)}", file=sys.stderr)
    bad = True
if bad:
    sys.exit(1)
print(f"ini_diff: {len(wine)} steps, {len(wine) - len(differ)} the same as Wine, "
      f"{len(differ)} known differences")
PY
