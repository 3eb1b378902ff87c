# Shared by the entry-point scripts: package set-up and the build.
# shellcheck shell=bash

SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the demo need.
SUITE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libzip-dev zlib1g-dev libpugixml-dev
    libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    python3 python3-openpyxl
    fonts-noto-cjk
    cups libcups2-dev locales
)

# Installs whatever of SUITE_PACKAGES (plus any extra names given) is missing; one apt-get update.
suite_install_packages() {
    local missing=()
    local pkg
    for pkg in "${SUITE_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
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

# suite_build DIR [cmake options...]: configures (once) and builds DIR.
suite_build() {
    local dir="$1"
    shift
    cmake -S "$SUITE_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
