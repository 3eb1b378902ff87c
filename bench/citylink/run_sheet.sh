#!/usr/bin/env bash
# Times the usage-sheet job on a generated month of 300 children: citylink-batch (CSV, extended
# care, both care needs into one filled copy of the sample workbook: two runs, the second opening
# the first's output) against the same job done with openpyxl (bench/citylink/openpyxl_fill.py,
# also two runs). Several interleaved runs of each, medians of the wall time of the pair, and the
# peak memory of each process from /usr/bin/time -v. Goal: at most 1/20 of openpyxl's time and at
# most 64 MB peak memory.
#   bench/citylink/run_sheet.sh [BUILD_DIR] [RUNS]
# With WORKBOOK_GROUPS=0 the workbook is the form alone (about 10 KB, no prepared child groups):
# the case where the fixed cost of a run (start, import, package rewrite) dominates.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/../lib.sh"
build="${1:-$root/build}"
runs="${2:-7}"
batch="$build/citylink/app/citylink-batch"
[[ -x $batch ]] || { echo "build $batch first (cmake --build $build --target citylink-batch)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
csv="$work/month.csv"
/usr/bin/python3 "$here/make_month.py" "$csv" --children 300 --year 2019 --month 4
# The sample workbook with room for 300 child groups per sheet (the demo's has 60; a block that
# runs into the form's total row is refused, as the spreadsheet application refuses it).
workbook="$work/時間外保育利用状況表.xlsx"
/usr/bin/python3 "$root/samples/make_usage_workbook.py" "$workbook" --children "${WORKBOOK_GROUPS:-300}" >/dev/null
echo "month: $(($(wc -l <"$csv") - 1)) records of 300 children; workbook: $(stat -c %s "$workbook") bytes"

# The config folder for fiscal year 2019, as the demo prepares it.
mkdir -p "$work/config" "$work/log"
"$batch" --show-layout 2018 --care short --config-dir "$work/config" --log-dir "$work/log" >/dev/null 2>&1 || true
/usr/bin/python3 "$root/samples/make_demo_config.py" "$work/config" 2019

citylink_job() {
    rm -f "$work/c1.xlsx" "$work/c2.xlsx"
    local common=(--month 2019-04 --csv "$csv" --config-dir "$work/config" --log-dir "$work/log")
    "$@" "$batch" "${common[@]}" --care short --workbook "$workbook" --output "$work/c1.xlsx" \
        >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    "$@" "$batch" "${common[@]}" --care standard --workbook "$work/c1.xlsx" --output "$work/c2.xlsx" \
        >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
}
openpyxl_job() {
    rm -f "$work/p1.xlsx" "$work/p2.xlsx"
    "$@" /usr/bin/python3 "$here/openpyxl_fill.py" "$csv" "$workbook" "$work/p1.xlsx" short >/dev/null
    "$@" /usr/bin/python3 "$here/openpyxl_fill.py" "$csv" "$work/p1.xlsx" "$work/p2.xlsx" standard >/dev/null
}
# Largest "Maximum resident set size" of a job's processes, in kB.
peak_kb() {
    : >"$work/time.txt"
    "$@" /usr/bin/time -v -a -o "$work/time.txt"
    awk -F': ' '/Maximum resident set size/ {if ($2 > m) m = $2} END {print m}' "$work/time.txt"
}

# Warm up both (page cache, loader, Python's bytecode cache), and check that both did the job.
citylink_job
openpyxl_job
/usr/bin/python3 - "$work/c2.xlsx" "$work/p2.xlsx" <<'PY'
import sys, openpyxl
a, b = (openpyxl.load_workbook(p) for p in sys.argv[1:3])
diff = 0
for name in ("利用状況表（保育短時間）", "保育標準時間"):
    for ra, rb in zip(a[name].iter_rows(), b[name].iter_rows()):
        diff += sum(1 for x, y in zip(ra, rb) if x.value != y.value)
print("cells that differ between the two results:", diff)
sys.exit(1 if diff else 0)
PY

: >"$work/t_openpyxl"
: >"$work/t_citylink"
for ((i = 0; i < runs; i++)); do  # interleaved, so that machine load hits both alike
    wall_us openpyxl_job >>"$work/t_openpyxl"
    wall_us citylink_job >>"$work/t_citylink"
done
py=$(median <"$work/t_openpyxl")
cl=$(median <"$work/t_citylink")
py_kb=$(peak_kb openpyxl_job)
cl_kb=$(peak_kb citylink_job)
awk -v py="$py" -v cl="$cl" -v n="$runs" -v pykb="$py_kb" -v clkb="$cl_kb" 'BEGIN {
    printf "openpyxl (both care needs)        median of %d: %9.2f ms, peak %6.1f MB\n", n, py / 1000, pykb / 1024
    printf "citylink-batch (both care needs)  median of %d: %9.2f ms, peak %6.1f MB\n", n, cl / 1000, clkb / 1024
    printf "ratio citylink/openpyxl: 1/%.1f (goal <= 1/20); citylink peak memory goal <= 64 MB\n", py / cl
}'
