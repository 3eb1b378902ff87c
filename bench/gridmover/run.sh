#!/usr/bin/env bash
# Times the migration of a generated project of 1,000 forms with grids and binary property files
# (all files converted into temporary copies, then every original replaced) against `cp -r` of the
# same project, in the same run: each run works on a fresh copy, medians are reported, and their
# ratio (the goal is at most 3).
#   bench/gridmover/run.sh [BUILD_DIR] [RUNS] [FORMS]
# Both timings are mostly file creation, and what a file system does after deletions (discards on
# an SSD, a long-used /tmp) slows the creations that follow. So no timed command runs after a
# deletion of this script's: every copy is kept until all runs are done, and the converter puts
# its temporary files in a fresh folder of the work folder (on the same file system as the copies).
# The work folder is made under $TMPDIR (else /tmp): point TMPDIR elsewhere to time another disk.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/../lib.sh"
build="${1:-$root/build}"
runs="${2:-7}"
forms="${3:-1000}"
cli="$build/gridmover/host/gridmover-cli"
[[ -x $cli ]] || { echo "build $cli first (cmake --build $build --target gridmover-cli)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT # the only deletion: after the last timed run
/usr/bin/python3 "$here/make_project.py" "$work/project" --forms "$forms"
echo "project: $(find "$work/project" -type f | wc -l) files, $(du -sb "$work/project" | cut -f1) bytes"

mkdir "$work/tmp"
export TMPDIR="$work/tmp" # the converter's temporary files; the commit moves them into the copy

# Warm the page cache and the loader; check once that the conversion works.
cp -r "$work/project" "$work/check"
"$cli" convert --from 1 --to 12 --quiet "$work/check/Bench.vbp"
grep -q "Begin Lumatab80.LTab DBGrid1" "$work/check/frm0000.frm"

: >"$work/cp"
: >"$work/convert"
for ((i = 0; i < runs; i++)); do  # interleaved, so that machine load hits both alike
    wall_us cp -r "$work/project" "$work/copy$i" >>"$work/cp"
    wall_us "$cli" convert --from 1 --to 12 --quiet "$work/copy$i/Bench.vbp" >>"$work/convert"
done
cp_us=$(median <"$work/cp")
conv_us=$(median <"$work/convert")
echo "cp -r     median ${cp_us} us  (runs: $(tr '\n' ' ' <"$work/cp"))"
echo "convert   median ${conv_us} us  (runs: $(tr '\n' ' ' <"$work/convert"))"
awk -v a="$conv_us" -v b="$cp_us" 'BEGIN { printf "ratio convert / cp -r: %.2f (goal <= 3)\n", a / b }'
