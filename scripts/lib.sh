# Shared by the entry-point scripts: package set-up and the build.
# shellcheck shell=bash

SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the demo need.
SUITE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libzip-dev zlib1g-dev libpugixml-dev
    libgtest-dev libgmock-dev
    clang clang-format libclang-rt-14-dev
    python3 python3-openpyxl
    fonts-noto-cjk
    cups libcups2-dev locales
    qt6-translations-l10n
    time
    # Calc with windows (the clerk's run leaves the workbook open in one), listed before the SDK
    # so that the SDK's "core-nogui or core" is met by the core with windows. Xvfb gives the
    # office test a screen; xwininfo and ImageMagick look at it and take its picture.
    libreoffice-calc libreoffice-dev
    xvfb x11-utils imagemagick
    file acl lintian desktop-file-utils appstream
    # scripts/engine-deps unpacks Debian's source of libzip with it.
    dpkg-dev
)

# What scripts/test-windows needs besides: the mingw-w64 cross compilers (the -posix flavour for
# std::thread), Wine (64-bit) to run the tests, and zlib for mingw.
SUITE_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    wine wine64
    libz-mingw-w64-dev
)

# Where scripts/engine-deps installs the Linux build's own libzip.
SUITE_LINUX_DEPS="$SUITE_ROOT/build-linux-deps"

# Installs whatever of SUITE_PACKAGES (plus any extra names given) is missing; one apt-get update.
suite_install_packages() {
    local missing=()
    local pkg
    for pkg in "${SUITE_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep 'install ok installed' >/dev/null; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]})); then
        echo "== installing: ${missing[*]}"
        local sudo=()
        [[ $(id -u) -eq 0 ]] || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The clerk's locale, ja_JP.UTF-8, for the GUI demo and the screenshots: Qt's standard dialogs and
# buttons follow the system locale. Generates it where the machine lacks it (needs the package
# locales, part of SUITE_PACKAGES), then exports it.
suite_japanese_locale() {
    if ! locale -a 2>/dev/null | grep -ix 'ja_JP\.utf-\?8' >/dev/null; then
        echo "== generating the locale ja_JP.UTF-8"
        local sudo=()
        [[ $(id -u) -eq 0 ]] || sudo=(sudo)
        # Listed in locale.gen, so that a later locale-gen keeps it.
        if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
            echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
        fi
        "${sudo[@]}" locale-gen >/dev/null
    fi
    export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    unset LANGUAGE
}

# The CMake options of a Linux build of the suite: the workbook engine's libzip as
# scripts/engine-deps builds it (prepared here once). Where Debian's sources cannot be fetched the
# build falls back, with a warning, to the system's libzip: the same workbooks, a slower start.
suite_cmake_options() {
    if "$SUITE_ROOT/scripts/engine-deps" linux >&2; then
        echo "-DSUITE_LIBZIP_PREFIX=$SUITE_LINUX_DEPS"
    else
        echo "warning: could not build libzip from Debian's sources; using the system's libzip" >&2
        echo "-USUITE_LIBZIP_PREFIX"
    fi
}

# suite_build DIR [cmake options...]: configures (once) and builds DIR.
suite_build() {
    local dir="$1"
    shift
    local engine
    engine="$(suite_cmake_options)"
    cmake -S "$SUITE_ROOT" -B "$dir" -G Ninja "$engine" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

# suite_package: the Debian package of the normal build (build/), made by CPack; prints its path.
suite_package() {
    rm -f "$SUITE_ROOT"/build/package/*.deb
    (cd "$SUITE_ROOT/build" && cpack -G DEB >package.log 2>&1) || {
        cat "$SUITE_ROOT/build/package.log" >&2
        return 1
    }
    ls "$SUITE_ROOT"/build/package/*.deb
}
