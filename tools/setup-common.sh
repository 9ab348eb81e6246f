# Shared by play.sh and test.sh: installs missing Debian packages and builds.
# Sourced, not run.

BUILD_PACKAGES="g++ make cmake pkg-config freeglut3-dev libglu1-mesa-dev libgl-dev libx11-dev libgtk-3-dev libcairo2-dev"
TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb openbox xdotool x11-utils imagemagick procps desktop-file-utils poppler-utils librsvg2-bin fonts-dejavu-core"
# clang and its runtime libraries build the fuzz targets (libFuzzer).
TEST_PACKAGES="$TEST_PACKAGES clang libclang-rt-dev"
# CPack's Debian package needs dpkg-shlibdeps (dpkg-dev) and file; the
# package tests check it with lintian and read its manual pages with man.
PACKAGE_PACKAGES="dpkg-dev file"
TEST_PACKAGES="$TEST_PACKAGES $PACKAGE_PACKAGES lintian man-db"

# Installs those of the named packages that are missing (as root, or through sudo).
ensure_packages() {
    local missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# configure_and_build BUILD_DIR [CMAKE OPTIONS...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j "$(nproc)"
}
