#!/usr/bin/env bash
# Builds the Debian package from a clean tree: a fresh Release build of its
# own in build-package, with Debian's hardening build flags, packed by CPack
# (library dependencies from dpkg-shlibdeps), then checked with lintian.
# Prints the package's path last. Run as root the first time (setup.sh
# installs what is missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"

# dpkg-shlibdeps (dpkg-dev) and file are what CPack needs to find the
# library dependencies.
"$root/scripts/setup.sh" dpkg-dev file lintian

if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "package: note: the working tree has uncommitted changes; they are packaged" >&2
fi

rm -rf "$build"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DT880_BUILD_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)

debs=("$build"/t880_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "package: cpack made no package" >&2; exit 1; }

# Errors and warnings fail the build; lintian's informational tags are shown.
lintian --info --display-info --fail-on error,warning "$deb"
echo "$deb"
