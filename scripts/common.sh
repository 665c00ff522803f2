# Shared set-up for ./run.sh, ./test.sh and ./bench.sh: install the Debian packages that are
# missing, then configure and build. Sourced, not run.

KORVANEL_PACKAGES=(
    cmake g++ make qt6-base-dev
    xvfb xauth xdotool imagemagick x11-utils
    fonts-liberation poppler-utils cups printer-driver-cups-pdf
    strace
    dbus at-spi2-core python3-pyatspi
)

# Only for the fuzz targets (tests/fuzz/run.sh, and CI): clang and its libFuzzer runtime.
KORVANEL_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# korvanel_missing_packages [PACKAGE...]: those of the list (KORVANEL_PACKAGES by default)
# that are not installed.
korvanel_missing_packages() {
    local missing=() pkg packages=("$@")
    [ ${#packages[@]} -eq 0 ] && packages=("${KORVANEL_PACKAGES[@]}")
    for pkg in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]}"
}

# korvanel_install_packages [PACKAGE...]: installs those missing (KORVANEL_PACKAGES by default).
korvanel_install_packages() {
    local missing
    missing=$(korvanel_missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "Installing missing packages: $missing"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "error: packages missing ($missing) and neither root nor sudo is available" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends $missing
}

# korvanel_build BUILD_DIR BUILD_TYPE TARGET [extra cmake arguments...]
# TARGET "all" builds everything (program, tests, benchmarks).
korvanel_build() {
    local dir=$1 type=$2 target=$3
    shift 3
    cmake -S "$KORVANEL_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null &&
        cmake --build "$dir" --parallel "$(nproc)" --target "$target"
}
