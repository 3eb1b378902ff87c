#!/usr/bin/env bash
# gridmover-cli on a golden project: the dry run shows the changes and changes nothing, the
# conversion gives the expected tree, a read-only file stops it with nothing changed.
#   cli_test.sh <gridmover-cli> <source dir>
set -euo pipefail
cli="$1"
golden="$2/gridmover/core/tests/data/golden/dbgrid_to_lumatab80"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

cp -r "$golden/input" "$work/p"
out="$("$cli" convert --from 1 --to 12 --dry-run "$work/p/Orders.vbp")"
grep -qx -- '+Dim col As Lumatab80.Column' <<<"$out"
grep -q -- 'frmOrders.frx 0x00000064 CLSID_MsDgrid' <<<"$out"
diff -r "$golden/input" "$work/p"
[[ -z "$(ls -A "$TMPDIR")" ]]

"$cli" convert --from 1 --to 12 "$work/p/Orders.vbp" >/dev/null
diff -r "$golden/expected" "$work/p"
[[ -z "$(ls -A "$TMPDIR")" ]]

rm -rf "$work/p" && cp -r "$golden/input" "$work/p"
chmod a-w "$work/p/modGrid.bas"
set +e
"$cli" convert --from 1 --to 12 --quiet "$work/p/Orders.vbp" 2>/dev/null
rc=$?
set -e
[[ $rc -eq 2 ]]
chmod u+w "$work/p/modGrid.bas"
diff -r "$golden/input" "$work/p"
[[ -z "$(ls -A "$TMPDIR")" ]]

# A form whose .frx is missing fails the run, names the file and changes nothing.
mv "$work/p/frmOrders.frx" "$work/frmOrders.frx"
set +e
err="$("$cli" convert --from 1 --to 12 --quiet "$work/p/Orders.vbp" 2>&1)"
rc=$?
set -e
[[ $rc -eq 2 ]]
grep -q 'frmOrders.frx: file not found' <<<"$err"
mv "$work/frmOrders.frx" "$work/p/frmOrders.frx"
diff -r "$golden/input" "$work/p"
[[ -z "$(ls -A "$TMPDIR")" ]]

# Converted once, a project has nothing left to convert, also to the version it now has.
"$cli" convert --from 1 --to 12 --quiet "$work/p/Orders.vbp"
for from in 1 12; do
    set +e
    "$cli" convert --from "$from" --to 12 --quiet "$work/p/Orders.vbp" >/dev/null
    rc=$?
    set -e
    [[ $rc -eq 1 ]]
    diff -r "$golden/expected" "$work/p"
done
[[ -z "$(ls -A "$TMPDIR")" ]]

# A module outside the project's folder: listed by the dry run, refused without
# --include-outside (nothing written), converted with it.
rm -rf "$work/p" && cp -r "$golden/input" "$work/p" && mkdir "$work/shared"
mv "$work/p/modGrid.bas" "$work/shared/modGrid.bas"
sed -i 's/^Module=modGrid; modGrid.bas/Module=modGrid; ..\\shared\\modGrid.bas/' "$work/p/Orders.vbp"
cp -r "$work/p" "$work/p.before" && cp "$work/shared/modGrid.bas" "$work/modGrid.before"
out="$("$cli" convert --from 1 --to 12 --dry-run "$work/p/Orders.vbp")"
grep -qx "  $(realpath "$work/shared/modGrid.bas")" <<<"$out"
set +e
err="$("$cli" convert --from 1 --to 12 --quiet "$work/p/Orders.vbp" 2>&1)"
rc=$?
set -e
[[ $rc -eq 2 ]]
grep -qx "  $(realpath "$work/shared/modGrid.bas")" <<<"$err"
diff -r "$work/p.before" "$work/p"
cmp "$work/modGrid.before" "$work/shared/modGrid.bas"
"$cli" convert --from 1 --to 12 --quiet --include-outside "$work/p/Orders.vbp"
cmp "$golden/expected/modGrid.bas" "$work/shared/modGrid.bas"
[[ -z "$(ls -A "$TMPDIR")" ]]
rm -rf "$work/p.before" "$work/shared"

# Hostile files fail the run naming them, at once and with nothing written: random bytes as a
# form, a pipe as a form, a binary file that is a link to a device that never ends.
rm -rf "$work/p" && cp -r "$golden/input" "$work/p"
head -c 200000 /dev/urandom >"$work/p/frmAbout.frm"
for hostile in random pipe zero; do
    case $hostile in
    pipe) rm "$work/p/frmAbout.frm" && mkfifo "$work/p/frmAbout.frm" ;;
    zero) rm "$work/p/frmAbout.frm" "$work/p/frmAbout.frx" &&
        cp "$golden/input/frmAbout.frm" "$work/p/frmAbout.frm" &&
        ln -s /dev/zero "$work/p/frmAbout.frx" ;;
    esac
    # The device is outside the project's folder: it is listed, and refused also when allowed.
    flags=(--quiet)
    [[ $hostile != zero ]] || flags+=(--include-outside)
    set +e
    err="$(timeout 20 "$cli" convert --from 1 --to 12 "${flags[@]}" "$work/p/Orders.vbp" 2>&1)"
    rc=$?
    set -e
    [[ $rc -eq 2 ]] || { echo "$hostile: exit $rc: $err" >&2; exit 1; }
    grep -q "frmAbout.fr" <<<"$err"
    [[ -z "$(ls -A "$TMPDIR")" ]]
    diff "$golden/input/frmOrders.frm" "$work/p/frmOrders.frm"
done

# --help on stdout with exit 0, in both languages: every option, the versions, the exit codes.
help="$("$cli" --help)"
for text in --from --to --dry-run --yes --quiet --include-outside versions \
    "Lumatab Pro 8.0 (OLEDB)" "MS-DBGrid 5.0" "終了コード" "Exit status" "64"; do
    grep -qF -- "$text" <<<"$help" || { echo "--help lacks $text" >&2; exit 1; }
done
[[ "$("$cli" convert --help)" == "$help" ]]
# A wrong value names the value and the option.
set +e
err="$("$cli" convert --from 'Lumatab 9' --to 12 x.vbp 2>&1)"
rc=$?
set -e
[[ $rc -eq 64 ]]
grep -q -- "--from: unknown version: Lumatab 9" <<<"$err"

# A display name works as well as a row number; the dry run prints one line a file, every GUID
# old -> new, and says that nothing was written.
rm -rf "$work/p" && cp -r "$golden/input" "$work/p"
out="$("$cli" convert --from "ms-dbgrid 5.0" --to "Lumatab Pro 8.0" --dry-run "$work/p/Orders.vbp")"
[[ $(grep -c 'frmOrdersを変換中' <<<"$out") -eq 1 ]]
grep -qx 'frmOrdersを変換中 ... 完了!' <<<"$out"
grep -q -- 'CLSID_MsDgrid {00028C00-0000-0000-0000-000000000046} -> {' <<<"$out"
[[ "$(tail -n 1 <<<"$out")" == "Dry run: nothing was written." ]]
diff -r "$golden/input" "$work/p"

# Nothing to convert says which grids the project does use, and that a .vbp is expected.
set +e
err="$("$cli" convert --from 7 --to 12 --quiet "$work/p/Orders.vbp" 2>&1)"
rc=$?
set -e
[[ $rc -eq 1 ]]
grep -q 'Grids the project references: MS-DBGrid 5.0 (1)' <<<"$err"
grep -q 'The project holds no grid of the source version' <<<"$err"
set +e
err="$("$cli" convert --from 1 --to 12 --quiet "$work/p/frmOrders.frm" 2>&1)"
rc=$?
set -e
[[ $rc -eq 1 || $rc -eq 2 ]]
grep -q 'A project file (.vbp) is expected' <<<"$err"
diff -r "$golden/input" "$work/p"

# versions without a Wine prefix says where it looked.
set +e
err="$(WINEPREFIX="$work/no-prefix" "$cli" versions 2>&1 >/dev/null)"
rc=$?
set -e
[[ $rc -eq 1 ]]
grep -qF "No Wine prefix at $work/no-prefix" <<<"$err"

# A commit killed half-way (its journal and one kept old content left behind) is put back by the
# next run before it converts.
rm -rf "$work/p" && cp -r "$golden/input" "$work/p"
cp "$work/p/modGrid.bas" "$work/p/modGrid.bas.gmold"
cp "$golden/expected/modGrid.bas" "$work/p/modGrid.bas"
printf 'gridmover commit journal 1\n%s\n' "$work/p/modGrid.bas" >"$work/p/Orders.vbp.gmjournal"
set +e
err="$("$cli" convert --from 7 --to 12 --quiet "$work/p/Orders.vbp" 2>&1)"
rc=$?
set -e
[[ $rc -eq 1 ]]
grep -q 'The last conversion was interrupted' <<<"$err"
diff -r "$golden/input" "$work/p"

set +e
"$cli" convert --from 12 --to 1 "$work/p/Orders.vbp" 2>/dev/null
rc=$?
set -e
[[ $rc -eq 64 ]]
echo ok
