#!/usr/bin/env bash
# The Debian package on this machine's own system (needs root; CI runs as root): lintian without
# errors; apt can resolve it; dpkg -i; clerks who are not root run citylink-batch from the
# installed copy, their settings and the day's log are written and shared; the marker file
# /etc/REDAZUDARUD.INI moves the log to /var/lib/KIRANODAT; dpkg -r keeps the settings, a
# reinstall uses them again, purge removes them.
#   deb_test.sh PACKAGE.deb
set -euo pipefail
deb="$(realpath "$1")"
if [[ $(id -u) -ne 0 ]]; then
    exec sudo "$0" "$deb"
fi
pkg=kirasuite
clerks=(kiratest-clerk1 kiratest-clerk2)
state=/var/lib/kirasuite
samples=/usr/share/kirasuite/samples
messages="$(mktemp)"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
purge() {
    if dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep 'installed\|config-files' >/dev/null; then
        dpkg --purge "$pkg" >/dev/null
    fi
}
cleanup() {
    for clerk in "${clerks[@]}"; do
        if id "$clerk" >/dev/null 2>&1; then userdel -r "$clerk" 2>/dev/null || true; fi
    done
    purge
    rmdir /var/lib/KIRANODAT 2>/dev/null || true
}
trap 'cleanup; rm -f "$messages"' EXIT
cleanup # an earlier run's package or users would hide what a fresh install does

# --- the package itself --------------------------------------------------------------------------
lintian --fail-on error "$deb" >"$messages" 2>&1 || {
    cat "$messages"
    fail "lintian reports errors"
}
grep -v 'root privileges' "$messages" | sed 's/^/lintian: /' || true
dpkg-deb -f "$deb" Depends | grep 'libqt6widgets6' >/dev/null || fail "Depends lacks the found libraries"
dpkg-deb -f "$deb" Recommends | grep 'libreoffice-calc' >/dev/null || fail "Recommends lacks LibreOffice Calc"
apt-get install --simulate "$deb" >/dev/null || fail "apt cannot resolve the package's dependencies"

dpkg -i "$deb" >/dev/null
getent group kirasuite >/dev/null || fail "no group kirasuite"
for dir in "$state" "$state/dat" /var/lib/KIRANODAT; do
    [[ "$(stat -c '%U:%G %a' "$dir")" == "root:kirasuite 2775" ]] ||
        fail "$dir is $(stat -c '%U:%G %a' "$dir")"
done
[[ "$(readlink /usr/libexec/kirasuite/bin/札幌市連携.INI)" == "$state/札幌市連携.INI" ]] ||
    fail "the layout file's link"
[[ "$(readlink /usr/bin/citylink-batch)" == ../libexec/kirasuite/bin/citylink-batch ]] ||
    fail "/usr/bin/citylink-batch"
if [[ -e /usr/libexec/kirasuite/bin/printctl-demo ]]; then
    # The package's ldconfig trigger is "noawait": dpkg may not have run it yet.
    ldconfig
    ldd /usr/libexec/kirasuite/bin/printctl-demo | grep -E 'libprintctl\.so\.[0-9]+ => (/usr)?/lib/' >/dev/null ||
        fail "the loader does not find libprintctl for printctl-demo"
    grep -qx 'Categories=Development;' /usr/share/applications/jp.webkira.printctl-demo.desktop ||
        fail "printctl-demo's menu entry is not under Development"
fi
# The office's libraries are the Calc module's alone, loaded when Calc is asked for.
for program in citylink citylink-batch; do
    [[ ! -e /usr/libexec/kirasuite/bin/$program ]] || ! ldd /usr/libexec/kirasuite/bin/$program |
        grep 'libuno_' >/dev/null || fail "$program links the office's libraries"
done
# The workbook engine's libzip is linked in, built without encryption: no OpenSSL to load at
# every start (scripts/engine-deps).
for program in citylink citylink-batch; do
    [[ ! -e /usr/libexec/kirasuite/bin/$program ]] || ! ldd /usr/libexec/kirasuite/bin/$program |
        grep -E 'libzip|libcrypto' >/dev/null || fail "$program loads the system's libzip or OpenSSL"
done
ldd /usr/libexec/kirasuite/bin/citylink-calc.so | grep 'libuno_cppu\.so\.3 => /usr/lib/libreoffice/program/' >/dev/null ||
    fail "the Calc module does not find the office's libraries"
desktop-file-validate /usr/share/applications/jp.webkira.*.desktop
appstreamcli validate --no-net /usr/share/metainfo/jp.webkira.*.metainfo.xml >/dev/null
[[ -f /usr/share/applications/jp.webkira.citylink.desktop &&
    -f /usr/share/applications/jp.webkira.gridmover.desktop ]] || fail "menu entries missing"

# --- two clerks, neither root, both in the group -------------------------------------------------
for clerk in "${clerks[@]}"; do
    useradd --create-home --shell /bin/bash --groups kirasuite "$clerk"
done
as() {
    local clerk="$1"
    shift
    (cd "/home/$clerk" && umask 022 && runuser -u "$clerk" -- env HOME="/home/$clerk" "$@")
}
fill() { # clerk care
    as "$1" citylink-batch --month 2024-06 --csv "$samples/attendance_2024-06.csv" \
        --workbook "$samples/時間外保育利用状況表.xlsx" --care "$2" --output "/home/$1/filled-$2.xlsx" \
        >/dev/null 2>"$messages" || fail "citylink-batch as $1 ($2) failed: $(cat "$messages")"
    [[ -s "/home/$1/filled-$2.xlsx" ]] || fail "no filled workbook for $1"
}
one_log() { # folder: the one log file in it
    local logs=("$1"/*_.log)
    [[ ${#logs[@]} -eq 1 && -f "${logs[0]}" ]] || fail "want one log in $1, have: ${logs[*]}"
    echo "${logs[0]}"
}

as "${clerks[0]}" citylink-batch --show-layout 2018 --care short >/dev/null 2>&1 || true
[[ "$(stat -c %U "$state/札幌市連携.INI")" == "${clerks[0]}" ]] ||
    fail "the first start did not write the layout file as ${clerks[0]}"
# The second clerk edits the first one's settings (as the settings screen would).
as "${clerks[1]}" python3 "$samples/make_demo_config.py" "$state" 2024 ||
    fail "${clerks[1]} cannot change the settings ${clerks[0]} wrote"
fill "${clerks[0]}" short
log="$(one_log "$state/dat")"
size="$(stat -c %s "$log")"
fill "${clerks[1]}" standard # appends to the day's log the first clerk created
[[ "$(stat -c %s "$log")" -gt "$size" ]] || fail "${clerks[1]} could not append to the day's log"
extra="$(ls -A /usr/libexec/kirasuite/bin | grep -v -x -e citylink -e citylink-batch -e gridmover-cli \
    -e gridmover -e printctl-demo -e 'libprintctl\.so\..*' -e citylink-calc.so \
    -e 札幌市連携.INI -e 札幌市連携時間設定.INI || true)"
[[ -z "$extra" ]] || fail "files written into the program folder: $extra"

# The marker file selects the shared installation's data folder. It is made in a private mount
# namespace, so nothing else on this machine sees it while the test runs.
if unshare -m true 2>/dev/null; then
    ns="$(mktemp -d)"
    mkdir "$ns/upper" "$ns/work"
    unshare -m bash -c '
        set -e
        mount -t overlay overlay -o "lowerdir=/etc,upperdir=$1/upper,workdir=$1/work" /etc
        touch /etc/REDAZUDARUD.INI
        cd /home/"$2"
        runuser -u "$2" -- env HOME=/home/"$2" citylink-batch --month 2024-06 \
            --csv "$3/attendance_2024-06.csv" --workbook "$3/時間外保育利用状況表.xlsx" \
            --output /home/"$2"/filled-marker.xlsx >/dev/null' _ "$ns" "${clerks[0]}" "$samples" \
        2>"$messages" || fail "the run with the marker file failed: $(cat "$messages")"
    rm -rf "$ns"
    one_log /var/lib/KIRANODAT >/dev/null
    rm -f /var/lib/KIRANODAT/*_.log
else
    echo "no mount namespace here: the marker file's data folder is not tested"
fi

# --- removal keeps the settings; a reinstall uses them; purge removes them ------------------------
dpkg -r "$pkg" >/dev/null 2>&1
[[ ! -e /usr/bin/citylink-batch && ! -e /usr/libexec/kirasuite ]] || fail "programs left after dpkg -r"
[[ -f "$state/札幌市連携.INI" && -f "$log" ]] || fail "dpkg -r removed the settings or the log"
dpkg -i "$deb" >/dev/null
rm "/home/${clerks[0]}/filled-short.xlsx"
fill "${clerks[0]}" short # the sample year's settings are still there
purge
[[ ! -e "$state" ]] || fail "purge left $state"
echo "package OK"
