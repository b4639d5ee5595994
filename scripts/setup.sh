#!/usr/bin/env bash
# Installs the Debian packages the build needs (only when one is missing),
# then configures and builds one configuration: every target, or only the targets named.
#   scripts/setup.sh <build-dir> [release|sanitize|tsan|fuzz|package] [target...]
# "package" is a release build of the shipped programs alone, for /usr: `cpack -G DEB` in it makes the package.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang ccache pkg-config
    libicu-dev liburiparser-dev uuid-dev libplist-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcurl4-openssl-dev libssl-dev
    libglib2.0-dev
    libwebkit2gtk-4.1-dev libgtk-3-dev libayatana-appindicator3-dev
    libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-res0-dev
    # The virtual desktops of the end-to-end tests and the README's run command: a virtual display, a
    # window manager, monitors, a private session bus, the desktop-entry checker, screenshots and a terminal.
    xvfb openbox x11-xserver-utils x11-utils dbus dbus-daemon desktop-file-utils imagemagick xdotool xterm
    libxcb-xkb-dev libxcb-xinput-dev libxcb-xtest0-dev libxkbcommon-x11-dev x11-xkb-utils
    # The headless KDE Plasma desktop of the KWin tests (scripts/kwin-desktop.sh): KWin with Xwayland, and
    # gdbus to see KWin arrive on its bus.
    kwin-wayland xwayland libglib2.0-bin
    # Keys typed through KWin's fake-input protocol by the KWin tests' helper.
    libwayland-dev plasma-wayland-protocols
    # The installed tree and the Debian package: their checkers, the manual-page renderer and the shells whose
    # completions are tested.
    appstream groff-base man-db dpkg-dev file lintian bash-completion zsh fish
    # The tests drive the application's windows through the accessibility bus.
    libatspi2.0-dev at-spi2-core
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}" >&2
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-"$root/build"}
kind=${2:-release}
targets=("${@:3}")

options=(-G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
case "$kind" in
    release) options+=(-DCMAKE_BUILD_TYPE=Release) ;;
    package) options+=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUORVANE_TESTS=OFF -DQUORVANE_BENCH=OFF) ;;
    sanitize) options+=(-DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON) ;;
    tsan) options+=(-DCMAKE_BUILD_TYPE=Debug -DQUORVANE_THREAD_SANITIZE=ON -DQUORVANE_BENCH=OFF) ;;
    fuzz) options+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                    -DQUORVANE_FUZZ=ON -DQUORVANE_TESTS=OFF -DQUORVANE_BENCH=OFF) ;;
    *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac

cmake -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" ${targets[@]+--target "${targets[@]}"}
