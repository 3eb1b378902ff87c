#!/usr/bin/env bash
# Times the attendance import + extended-care computation on a generated month of 300 children
# against `iconv -f CP932 -t UTF-8` of the same file, in the same run: several runs of each whole
# process, medians reported, and their ratio (the goal is at most 2).
#   bench/citylink/run.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/../lib.sh"
build="${1:-$root/build}"
runs="${2:-11}"
bench="$build/bench/citylink/citylink_bench_import"
[[ -x $bench ]] || { echo "build $bench first (cmake --build $build --target citylink_bench_import)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
csv="$work/month.csv"
/usr/bin/python3 "$here/make_month.py" "$csv" --children 300 --year 2019 --month 4
echo "file: $(stat -c %s "$csv") bytes, $(($(wc -l <"$csv") - 1)) records"
"$bench" "$csv" 2019 4 5


# Warm the page cache and the dynamic loader for both.
iconv -f CP932 -t UTF-8 "$csv" >/dev/null
"$bench" "$csv" 2019 4 >/dev/null

: >"$work/iconv"
: >"$work/citylink"
for ((i = 0; i < runs; i++)); do  # interleaved, so that machine load hits both alike
    wall_us iconv -f CP932 -t UTF-8 "$csv" >>"$work/iconv"
    wall_us "$bench" "$csv" 2019 4 >>"$work/citylink"
done
ic=$(median <"$work/iconv")
cl=$(median <"$work/citylink")
awk -v ic="$ic" -v cl="$cl" -v n="$runs" 'BEGIN {
    printf "iconv -f CP932 -t UTF-8       median of %d: %8.2f ms\n", n, ic / 1000
    printf "import + extended care (both)  median of %d: %8.2f ms\n", n, cl / 1000
    printf "ratio: %.2f (goal <= 2)\n", cl / ic
}'
