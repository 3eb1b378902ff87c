#!/usr/bin/env bash
# `cmake --install` of the build into a DESTDIR (prefix /usr/local), then the installed copy is
# used as installed: citylink-batch fills the sample workbook with its settings and log where the
# installed layout puts them, gridmover-cli converts the shared VB6 test project, every program
# has its manual page, and the desktop entries and metainfo pass their validators.
#   install_test.sh BUILD_DIR SOURCE_DIR [CALLER_CXX_FLAGS]
set -euo pipefail
build="$1"
src="$2"
caller_flags="${3:-}"
# The shared VB6 test project, as the converter's own tests keep it.
project="$src/gridmover/core/tests/data/infosystem"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=/usr/local
DESTDIR="$work/dest" cmake --install "$build" --prefix "$prefix" >"$work/install.log"
root="$work/dest$prefix"
programs="$root/libexec/kirasuite/bin"
state="$root/var/lib/kirasuite"
layout_ini="$programs/札幌市連携.INI"
bands_ini="$programs/札幌市連携時間設定.INI"

# --- the layout ---------------------------------------------------------------------------------
for program in citylink-batch gridmover-cli; do
    [[ -x "$programs/$program" && ! -L "$programs/$program" ]] || fail "$program not in $programs"
    [[ "$(readlink "$root/bin/$program")" == "../libexec/kirasuite/bin/$program" ]] ||
        fail "bin/$program is not a relative link to the program folder"
done
for link in "$layout_ini" "$bands_ini" "$programs/../dat"; do
    [[ -L "$link" ]] || fail "$link is not a link"
done
[[ "$(readlink "$layout_ini")" == "../../../var/lib/kirasuite/札幌市連携.INI" ]] ||
    fail "the layout file's link points to $(readlink "$layout_ini")"
[[ "$(cd "$programs/../dat" && pwd -P)" == "$(cd "$state/dat" && pwd -P)" ]] ||
    fail "../dat beside the program folder is not the state folder's dat"
# Every program on PATH has its manual page; the window programs' pages are written by hand and
# have the sections a reader looks for, and gridmover's names every option its --help lists.
man1="$root/share/man/man1"
for program in citylink citylink-batch gridmover gridmover-cli printctl-demo; do
    [[ -x "$programs/$program" ]] || continue
    zcat "$man1/$program.1.gz" >"$work/page" || fail "no man page of $program"
    grep '^\.SH DESCRIPTION' "$work/page" >/dev/null || fail "man page of $program"
done
for program in citylink gridmover printctl-demo; do
    [[ -x "$programs/$program" ]] || continue
    zcat "$man1/$program.1.gz" >"$work/page"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "SEE ALSO"; do
        grep -x "\.SH $section" "$work/page" >/dev/null || fail "the man page of $program lacks $section"
    done
done
zcat "$man1/citylink-batch.1.gz" | grep -F '\-\-config\-dir' >/dev/null ||
    fail "the man page of citylink-batch lacks --config-dir"
if [[ -x "$programs/gridmover" ]]; then
    zcat "$man1/gridmover.1.gz" >"$work/page"
    for option in $("$programs/gridmover" --help | grep -o -e '--[a-z-]*' | sort -u); do
        grep -F -- "${option//-/\\-}" "$work/page" >/dev/null ||
            fail "the man page of gridmover lacks $option"
    done
fi
desktop-file-validate "$root"/share/applications/*.desktop
appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml >/dev/null

# --- citylink-batch from the installed copy, started through PATH --------------------------------
export PATH="$root/bin:$PATH"
samples="$root/share/kirasuite/samples"
# First start: seeds the layout file through the link, into the state folder.
citylink-batch --show-layout 2018 --care short >/dev/null 2>&1 || true
[[ -L "$layout_ini" && -f "$state/札幌市連携.INI" ]] || fail "the layout file was not seeded in $state"
# The sample's fiscal year, as the settings screen would write it (into the file the link names).
python3 "$samples/make_demo_config.py" "$state" 2024
citylink-batch --month 2024-06 --csv "$samples/attendance_2024-06.csv" \
    --workbook "$samples/時間外保育利用状況表.xlsx" --care short --output "$work/filled.xlsx" \
    >"$work/run.txt" 2>"$work/run.err" || fail "citylink-batch: $(cat "$work/run.err")"
[[ -s "$work/filled.xlsx" ]] || fail "no filled workbook"
grep -q 'children' "$work/run.txt" || fail "no summary line: $(cat "$work/run.txt")"
logs=("$state"/dat/*_.log)
[[ -f "${logs[0]}" ]] || fail "no log in $state/dat"
iconv -f CP932 -t UTF-8 "${logs[0]}" | grep '終了' >/dev/null || fail "the log has no end entry"
# Nothing but the programs and the two links is in the program folder.
extra="$(ls -A "$programs" | grep -v -x -e citylink -e citylink-batch -e gridmover-cli \
    -e gridmover -e printctl-demo -e 'libprintctl\.so\..*' -e citylink-calc.so \
    -e 札幌市連携.INI -e 札幌市連携時間設定.INI || true)"
[[ -z "$extra" ]] || fail "files left in the program folder: $extra"

# --- printctl: a calling program finds the library with find_package and links it ---------------
if [[ -d "$root/lib/cmake/printctl" ]]; then
    [[ -f "$root/include/printctl/printctl.h" ]] || fail "printctl's public header is not installed"
    soname="$(readlink "$root/lib/libprintctl.so")"
    [[ "$(readlink "$root/lib/$soname")" == ../libexec/kirasuite/bin/* ]] ||
        fail "lib/$soname does not lead to the library in the program folder"
    mkdir "$work/caller"
    cat >"$work/caller/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(caller CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(printctl 7 REQUIRED)
add_executable(caller caller.cpp)
target_link_libraries(caller PRIVATE printctl::printctl)
CMAKE
    cat >"$work/caller/caller.cpp" <<'CPP'
#include <printctl/printctl.h>
// An identifier the library does not know gives no object.
int main() { return printctl::CreateObject("no.such.class") == nullptr ? 0 : 1; }
CPP
    cmake -S "$work/caller" -B "$work/caller/build" -G Ninja -DCMAKE_PREFIX_PATH="$root" \
        -DCMAKE_CXX_FLAGS="$caller_flags" \
        >"$work/caller.log" 2>&1 || fail "find_package(printctl): $(cat "$work/caller.log")"
    cmake --build "$work/caller/build" >"$work/caller.log" 2>&1 ||
        fail "building against printctl: $(cat "$work/caller.log")"
    LD_LIBRARY_PATH="$root/lib" "$work/caller/build/caller" || fail "the calling program failed"
fi

# --- gridmover-cli converts the shared VB6 project -----------------------------------------------
cp -r "$project" "$work/vb6"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
gridmover-cli convert --from 1 --to 12 --yes --quiet "$work/vb6/infosystem.vbp" ||
    fail "gridmover-cli convert failed with $?"
if diff -rq "$project" "$work/vb6" >/dev/null; then
    fail "the conversion changed nothing"
fi
echo "installed copy OK"
