# Timing helpers shared by the benchmark scripts (sourced).
# shellcheck shell=bash

# Wall time of one command (its output discarded), in microseconds.
wall_us() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}

# The median of the numbers on standard input, one per line.
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
