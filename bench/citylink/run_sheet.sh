#!/usr/bin/env bash
# Times the usage-sheet job on a generated month of 300 children: citylink-batch (CSV, extended
# care, both care needs into one filled copy of the sample workbook: two runs, the second opening
# the first's output) against the same job done with openpyxl (bench/citylink/openpyxl_fill.py,
# also two runs). Several interleaved runs of each, medians of the wall time of the pair, and the
# peak memory of each process from /usr/bin/time -v. Goal: at most 1/20 of openpyxl's time and at
# most 64 MB peak memory.
#   bench/citylink/run_sheet.sh [BUILD_DIR] [RUNS]
# With WORKBOOK_GROUPS=0 the workbook is the form alone (about 10 KB: the head, no prepared child
# groups and no total row): the case where the fixed cost of a run (start, import, package
# rewrite) dominates; there the first run alone (one process each) is timed as well.
# BASELINE_BATCH=/path/to/another/citylink-batch times that build in the same loop (for example
# the one before a change).
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

baseline="${BASELINE_BATCH:-}"
common=(--month 2019-04 --csv "$csv" --config-dir "$work/config" --log-dir "$work/log")
# The first run: the short-time sheet of the workbook into OUT (one process).
citylink_first() { # BATCH OUT [wrapper...]
    local b="$1" out="$2"
    shift 2
    rm -f "$out"
    "$@" "$b" "${common[@]}" --care short --workbook "$workbook" --output "$out" \
        >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
}
citylink_job_of() { # BATCH PREFIX [wrapper...]: both care needs, the second on the first's output
    local b="$1" p="$2"
    shift 2
    citylink_first "$b" "${p}1.xlsx" "$@"
    rm -f "${p}2.xlsx"
    "$@" "$b" "${common[@]}" --care standard --workbook "${p}1.xlsx" --output "${p}2.xlsx" \
        >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
}
citylink_job() { citylink_job_of "$batch" "$work/c" "$@"; }
baseline_job() { citylink_job_of "$baseline" "$work/b" "$@"; }
openpyxl_first() {
    "$@" /usr/bin/python3 "$here/openpyxl_fill.py" "$csv" "$workbook" "$work/p1.xlsx" short >/dev/null
}
openpyxl_job() {
    rm -f "$work/p1.xlsx" "$work/p2.xlsx"
    openpyxl_first "$@"
    "$@" /usr/bin/python3 "$here/openpyxl_fill.py" "$csv" "$work/p1.xlsx" "$work/p2.xlsx" standard >/dev/null
}
# Largest "Maximum resident set size" of a job's processes, in kB.
peak_kb() {
    : >"$work/time.txt"
    "$@" /usr/bin/time -v -a -o "$work/time.txt"
    awk -F': ' '/Maximum resident set size/ {if ($2 > m) m = $2} END {print m}' "$work/time.txt"
}

# Warm up all (page cache, loader, Python's bytecode cache), and check that each did the job.
citylink_job
openpyxl_job
[[ -z $baseline ]] || baseline_job
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

if [[ -n $baseline ]]; then
    /usr/bin/python3 - "$work/c2.xlsx" "$work/b2.xlsx" <<'PY'
import sys, openpyxl
a, b = (openpyxl.load_workbook(p) for p in sys.argv[1:3])
diff = sum(1 for s in a.sheetnames for ra, rb in zip(a[s].iter_rows(), b[s].iter_rows())
           for x, y in zip(ra, rb) if x.value != y.value)
print("cells that differ from the baseline build's result:", diff)
sys.exit(1 if diff else 0)
PY
fi

first=$([[ ${WORKBOOK_GROUPS:-300} == 0 ]] && echo 1 || echo 0)
for t in openpyxl citylink baseline openpyxl_first citylink_first baseline_first; do : >"$work/t_$t"; done
for ((i = 0; i < runs; i++)); do  # interleaved, so that machine load hits all alike
    wall_us openpyxl_job >>"$work/t_openpyxl"
    wall_us citylink_job >>"$work/t_citylink"
    [[ -z $baseline ]] || wall_us baseline_job >>"$work/t_baseline"
    if ((first)); then
        wall_us openpyxl_first >>"$work/t_openpyxl_first"
        wall_us citylink_first "$batch" "$work/c1.xlsx" >>"$work/t_citylink_first"
        [[ -z $baseline ]] || wall_us citylink_first "$baseline" "$work/b1.xlsx" >>"$work/t_baseline_first"
    fi
done
py_kb=$(peak_kb openpyxl_job)
cl_kb=$(peak_kb citylink_job)
report() { # LABEL TIMES [PEAK_KB]
    awk -v label="$1" -v t="$(median <"$work/t_$2")" -v n="$runs" -v kb="${3:-}" 'BEGIN {
        printf "%-40s median of %d: %9.2f ms", label, n, t / 1000
        if (kb != "") printf ", peak %6.1f MB", kb / 1024
        printf "\n" }'
}
ratio() { # LABEL A B
    awk -v label="$1" -v a="$(median <"$work/t_$2")" -v b="$(median <"$work/t_$3")" \
        'BEGIN { printf "ratio %s: 1/%.1f (goal <= 1/20)\n", label, b / a }'
}
report "openpyxl (both care needs)" openpyxl "$py_kb"
report "citylink-batch (both care needs)" citylink "$cl_kb"
[[ -z $baseline ]] || report "baseline citylink-batch (both care needs)" baseline
ratio "citylink/openpyxl (both care needs)" citylink openpyxl
if ((first)); then
    report "openpyxl (first run, one process)" openpyxl_first
    report "citylink-batch (first run, one process)" citylink_first
    [[ -z $baseline ]] || report "baseline (first run, one process)" baseline_first
    ratio "citylink/openpyxl (first run)" citylink_first openpyxl_first
fi
echo "citylink peak memory goal <= 64 MB"
