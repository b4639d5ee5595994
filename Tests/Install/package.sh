#!/usr/bin/env bash
# Builds the Debian package from a release build of the shipped programs and checks it: it holds exactly the tree
# `cmake --install` makes, owned by root; its Depends names the runtime libraries; it runs nothing at install
# time; and lintian finds no error (its other findings are printed).
#   package.sh <source folder> <package build folder>
set -euo pipefail

source_folder=${1:?usage: package.sh <source folder> <package build folder>}
build=${2:?usage: package.sh <source folder> <package build folder>}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "package: $*" >&2
    failures=$((failures + 1))
}

# A release build of what is shipped only, as the README makes it; its objects are those of any other release build,
# so ccache shares them.
nice -n 10 "$source_folder/scripts/setup.sh" "$build" package >"$scratch/build.log" 2>&1 || { tail -n 40 "$scratch/build.log"; exit 1; }
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; exit 1; }
package=$(echo "$build"/*.deb)
[[ -f $package ]] || { echo "package: cpack made no package" >&2; exit 1; }
echo "package: $(basename "$package"), $(du -k "$package" | cut -f1) KiB"

# Exactly the installed tree, every entry root's.
DESTDIR=$scratch/tree cmake --install "$build" >/dev/null
installed=$(cd "$scratch/tree" && find . -mindepth 1 | sed 's|^\.||; s|/$||' | sort)
packaged=$(dpkg-deb -c "$package" | awk '{ print $6 }' | sed 's|^\.||; s|/$||' | sort)
[[ $installed == "$packaged" ]] || fail "the package differs from the installed tree:
$(diff <(echo "$installed") <(echo "$packaged") || true)"
owners=$(dpkg-deb -c "$package" | awk '$2 != "root/root"')
[[ -z $owners ]] || fail "entries not owned by root: $owners"

# The runtime libraries, as the shared-library scanner found them.
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libstdc++6 libgtk-3-0 libwebkit2gtk-4.1-0 libayatana-appindicator3-1 libcurl4 libxcb1 \
    libxkbcommon-x11-0 libglib2.0-0 liburiparser1 libplist3 libuuid1; do
    [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done
[[ $(dpkg-deb -f "$package" Section) == x11 ]] || fail "the section is $(dpkg-deb -f "$package" Section)"
# Nothing runs at install time: the control archive holds the control file and the checksums only.
dpkg-deb -e "$package" "$scratch/control"
[[ $(ls "$scratch/control" | tr '\n' ' ') == "control md5sums " ]] || fail "control files: $(ls "$scratch/control")"

lintian --tag-display-limit 0 "$package" >"$scratch/lintian.log" 2>&1 || true
grep -v '^running with root privileges' "$scratch/lintian.log" || true
grep -q '^E:' "$scratch/lintian.log" && fail "lintian reports errors"

if ((failures)); then
    exit 1
fi
echo "package: the package holds the installed tree, depends on its libraries and passes lintian."
