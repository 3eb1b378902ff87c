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

set +e
"$cli" convert --from 12 --to 1 "$work/p/Orders.vbp" 2>/dev/null
rc=$?
set -e
[[ $rc -eq 64 ]]
echo ok
