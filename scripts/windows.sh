#!/usr/bin/env bash
# Builds the Windows programs and their installer on Debian 12, then tries
# them under Wine against the Linux virtual radio.
#
#   sudo ./scripts/windows.sh            everything: Qt (once), the programs,
#                                        the installer, the smoke test
#   sudo ./scripts/windows.sh --no-smoke without the smoke test
#
# Qt for Windows is built once from Debian's own qtbase source into
# ~/.cache/t880/qt-VERSION-mingw64 (about half an hour on two cores), and
# yaml-cpp from its source beside it; later runs reuse them. The programs go to build-windows/, the files a Windows
# machine needs to build-windows/deploy/, and the installer to
# build-windows/t880-setup-VERSION.exe, whose path is printed last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows"
deploy="$build/deploy"
toolchain="$root/packaging/windows/mingw64.cmake"
cache="${T880_CACHE:-$HOME/.cache/t880}"
smoke=1
for argument in "$@"; do
    case "$argument" in
    --no-smoke) smoke=0 ;;
    *)
        echo "windows: unknown option $argument (known: --no-smoke)" >&2
        exit 2
        ;;
    esac
done

say() { printf 'windows: %s\n' "$*" >&2; }

# The Linux build's own packages (its programs run the smoke test's radio and
# give the bytes the Windows programs must match), the cross tool chain, the
# installer maker, Wine, and dpkg-dev for unpacking Qt's source.
"$root/scripts/setup.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
    nsis wine wine64 dpkg-dev librsvg2-bin icoutils

# Qt's host tools (moc, rcc, uic) are Debian's; the Windows Qt must be the
# same version.
qt_debian=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version=${qt_debian%%+*}
qt="$cache/qt-$qt_version-mingw64"

# fetch_source PACKAGE VERSION: Debian's source package into the cache, once.
fetch_source() {
    local package=$1 version=$2
    local list=/etc/apt/sources.list.d/t880-source.list
    if ls "$cache/${package}_${version#*:}".dsc >/dev/null 2>&1; then
        return
    fi
    say "fetching the source of $package $version from Debian"
    mkdir -p "$cache"
    # A source entry of our own, gone again afterwards whatever happens.
    # apt refuses an entry for the archive whose key differs from the
    # system's own entries: take theirs (Debian 12 names the keyring in
    # debian.sources; an older sources.list names none).
    local keyring
    keyring=$(sed -n 's/^Signed-By: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
    echo "deb-src ${keyring:+[signed-by=$keyring] }http://deb.debian.org/debian bookworm main" > "$list"
    trap 'rm -f '"$list"'' EXIT
    apt-get update -qq
    (cd "$cache" && apt-get source --download-only -qq "$package=$version")
    rm -f "$list"
    trap - EXIT
    apt-get update -qq
}

build_qt() {
    local work="$cache/qt-$qt_version-work"
    rm -rf "$work"
    mkdir -p "$work/source" "$work/empty-pkgconfig"
    fetch_source qt6-base "$qt_debian"
    say "unpacking Qt's source"
    (cd "$work/source" && dpkg-source --no-check -x "$cache"/qt6-base_"${qt_debian#*:}".dsc qtbase >/dev/null)
    say "configuring Qt for Windows"
    # Only what the programs use: Core, Gui, Widgets, PrintSupport and the
    # Windows plug-ins. The bundled third-party libraries, so that nothing of
    # the build machine is found (no pkg-config either). Direct2D stays on:
    # without it the DirectWrite font engine that PrintSupport and the
    # platform plug-in call is left out. Debian's source has no wintab, so
    # no tablet events. No OpenGL, dynamic loading of it included (the
    # window paints with the raster engine).
    PKG_CONFIG_LIBDIR="$work/empty-pkgconfig" PKG_CONFIG_PATH= \
        cmake -S "$work/source/qtbase" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF \
        -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_zstd=OFF \
        -DFEATURE_tabletevent=OFF -DINPUT_opengl=no -DFEATURE_opengl_dynamic=OFF -DFEATURE_direct2d=ON \
        > "$work/configure.log" 2>&1 || {
        tail -30 "$work/configure.log" >&2
        say "Qt's configure failed (whole log: $work/configure.log)"
        exit 1
    }
    say "building Qt for Windows (about half an hour on two cores)"
    cmake --build "$work/build" -j "$(nproc)" > "$work/build.log" 2>&1 || {
        grep -B2 -A20 -m1 'FAILED:' "$work/build.log" >&2 || tail -30 "$work/build.log" >&2
        say "Qt's build failed (whole log: $work/build.log)"
        exit 1
    }
    cmake --install "$work/build" > "$work/install.log" 2>&1
    rm -rf "$work"
}

if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    build_qt
fi
say "Qt for Windows: $qt"

# yaml-cpp, which reads the codeplug's text form: Debian's source of the
# version the Linux build uses, built as a static library (a minute).
yaml_debian=$(dpkg-query -W -f='${source:Version}' libyaml-cpp-dev)
yaml="$cache/yaml-cpp-${yaml_debian%%+*}-mingw64"
if [ ! -f "$yaml/lib/cmake/yaml-cpp/yaml-cpp-config.cmake" ]; then
    fetch_source yaml-cpp "$yaml_debian"
    work="$cache/yaml-cpp-work"
    rm -rf "$work"
    mkdir -p "$work"
    (cd "$work" && dpkg-source --no-check -x "$cache/yaml-cpp_${yaml_debian#*:}.dsc" source >/dev/null)
    say "building yaml-cpp for Windows"
    cmake -S "$work/source" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$yaml" -DYAML_BUILD_SHARED_LIBS=OFF \
        -DYAML_CPP_BUILD_TESTS=OFF -DYAML_CPP_BUILD_TOOLS=OFF -DYAML_CPP_BUILD_CONTRIB=OFF \
        > "$work/build.log" 2>&1 &&
        cmake --build "$work/build" -j "$(nproc)" >> "$work/build.log" 2>&1 &&
        cmake --install "$work/build" >> "$work/build.log" 2>&1 || {
        tail -30 "$work/build.log" >&2
        say "yaml-cpp's build failed"
        exit 1
    }
    rm -rf "$work"
fi

# --- the programs -------------------------------------------------------------

version=$(sed -n 's/^project(t880 VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
mkdir -p "$build"
# The project's tool chain with the Windows Qt among the roots it searches.
cat > "$build/toolchain.cmake" <<TOOLCHAIN
include("$toolchain")
list(APPEND CMAKE_FIND_ROOT_PATH "$qt" "$yaml")
list(APPEND CMAKE_PREFIX_PATH "$qt" "$yaml")
TOOLCHAIN
# The program's icon, in the sizes Windows shows.
for size in 16 24 32 48 64 256; do
    rsvg-convert -w "$size" -h "$size" "$root/packaging/t880-gui.svg" -o "$build/icon-$size.png"
done
icotool -c -o "$build/t880-gui.ico" "$build"/icon-{16,24,32,48,64}.png -r "$build/icon-256.png"
say "building t880.exe and t880-gui.exe"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$build/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DT880_BUILD_TESTS=OFF -DT880_BUILD_BENCH=OFF -DT880_MAN_PAGES=OFF \
    -DT880_WINDOWS_ICON="$build/t880-gui.ico" >/dev/null
cmake --build "$build" -j "$(nproc)"

# --- what a Windows machine needs beside them ------------------------------------

say "laying out $deploy"
rm -rf "$deploy"
mkdir -p "$deploy/platforms" "$deploy/styles" "$deploy/imageformats" "$deploy/translations"
cp "$build/cli/t880.exe" "$build/app/t880-gui.exe" "$deploy/"
for module in Core Gui Widgets PrintSupport; do
    cp "$qt/bin/Qt6$module.dll" "$deploy/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$deploy/platforms/"
cp "$qt/plugins/styles/"*.dll "$deploy/styles/"
cp "$qt/plugins/imageformats/"*.dll "$deploy/imageformats/" 2>/dev/null || true
# The compiler's run-time libraries.
for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
    found=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
    if [ ! -f "$found" ]; then
        found=$(find /usr/lib/gcc/x86_64-w64-mingw32 /usr/x86_64-w64-mingw32/lib -name "$dll" \
            -path '*posix*' -print -quit 2>/dev/null || true)
        [ -n "$found" ] || found=$(find /usr/x86_64-w64-mingw32/lib -name "$dll" -print -quit)
    fi
    [ -f "$found" ] || { say "cannot find $dll"; exit 1; }
    cp "$found" "$deploy/"
done
# Qt's own dialogs (the file dialog) in Chinese, from Debian's translations.
cp /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/qt6/translations/qtbase_zh_TW.qm \
    "$deploy/translations/" 2>/dev/null || true
# Qt finds its plug-ins and translations beside the programs.
printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' > "$deploy/qt.conf"
cp "$root/packaging/copyright" "$deploy/copyright.txt"
find "$deploy" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded

# --- the installer --------------------------------------------------------------

installer="$build/t880-setup-$version.exe"
say "making the installer"
makensis -V2 -DVERSION="$version" -DDEPLOY="$deploy" -DOUTFILE="$installer" \
    "$root/packaging/windows/installer.nsi"

if [ "$smoke" = 1 ]; then
    "$root/packaging/windows/smoke.sh" "$deploy" "$installer"
fi
echo "$installer"
