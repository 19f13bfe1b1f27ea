#!/usr/bin/env bash
# Tries the Windows programs in DEPLOY under Wine against the Linux virtual
# radio, and says pass or fail for each step: Wine's COM1 leads to a virtual
# radio's pseudo-terminal, the Linux build talks to an identical radio, and
# every file and every radio memory must come out the same byte for byte.
# The window is started in the three languages, with a screenshot of each.
#
#   packaging/windows/smoke.sh DEPLOY [INSTALLER]
#
# With INSTALLER it is also installed silently, tried from Program Files, and
# uninstalled.
# Called by scripts/windows.sh; needs the Linux build's own packages.
set -uo pipefail
deploy=$(cd "${1:?usage: smoke.sh DEPLOY [INSTALLER]}" && pwd)
installer=${2:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build-windows/smoke"
linux="$root/build-windows/linux"
rm -rf "$out"
mkdir -p "$out"
failures=0
pass() { printf 'smoke: pass  %s\n' "$*"; }
fail() {
    printf 'smoke: FAIL  %s\n' "$*"
    failures=$((failures + 1))
}
check() { # check NAME COMMAND...: pass when the command succeeds
    local name=$1
    shift
    if "$@" >>"$out/log" 2>&1; then pass "$name"; else fail "$name (see $out/log)"; fi
}

echo "smoke: building the Linux programs for comparison" >&2
cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DT880_BUILD_TESTS=OFF \
    -DT880_BUILD_BENCH=OFF -DT880_MAN_PAGES=OFF >/dev/null &&
    cmake --build "$linux" -j "$(nproc)" --target t880 >/dev/null || {
    fail "the Linux build"
    exit 1
}
t880="$linux/cli/t880"
# The programs run from a copy: a portable copy keeps its _config.ini beside
# them, and the folder the installer packs stays as it was made.
cp -r "$deploy" "$out/programs"
programs="$out/programs"

# --- Wine ---------------------------------------------------------------------

export WINEPREFIX="$out/wine" WINEARCH=win64 WINEDEBUG=-all
# No prompts for Wine's .NET and browser add-ons.
export WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb :87 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:87
radios=()
cleanup() {
    for pid in "${radios[@]}"; do kill "$pid" 2>/dev/null; done
    wineserver -k 2>/dev/null
    kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT
echo "smoke: preparing Wine in $WINEPREFIX" >&2
timeout 300 wineboot -i >>"$out/log" 2>&1
# Chinese text needs a font with the characters; Windows has one, Wine not.
for font in /usr/share/fonts/truetype/wqy/wqy-microhei.ttc; do
    [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
wine=(timeout 180 wine)

# radio NAME MEMORY [emulate options]: a virtual radio on $out/NAME
radio() {
    local name=$1 memory=$2
    shift 2
    "$t880" emulate --link "$out/$name" --memory "$memory" "$@" >>"$out/log" 2>&1 &
    radios+=($!)
    for _ in $(seq 50); do
        [ -L "$out/$name" ] && return 0
        sleep 0.1
    done
    return 1
}

# A start memory with a codeplug in it, then one copy for each side.
head -c 65536 /dev/zero >"$out/start.mem"
"$t880" new --demo "$out/demo.Kzx" >/dev/null
radio seed "$out/start.mem" || fail "the seed radio"
"$t880" write --port "$out/seed" "$out/demo.Kzx" >>"$out/log" 2>&1 || fail "seeding the radio"
cp "$out/start.mem" "$out/linux.mem"
cp "$out/start.mem" "$out/windows.mem"
radio linux "$out/linux.mem" || fail "the Linux side's radio"
radio windows "$out/windows.mem" || fail "the Windows side's radio"
# COM1 leads to the Windows side's radio: the registry's mapping lasts where
# a link in dosdevices is reset at every start.
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$out/windows" /f >>"$out/log" 2>&1
wineserver -k
win() { "${wine[@]}" "$programs/t880.exe" "$@"; }
# The Windows programs print \r\n where Linux prints \n.
same_text() { cmp -s <(tr -d '\r' <"$1") "$2"; }

# --- the command line ---------------------------------------------------------

"$t880" read --port "$out/linux" -o "$out/read-linux.Kzx" >>"$out/log" 2>&1
win read --port COM1 -o "$(winepath -w "$out/read-windows.Kzx")" >>"$out/log" 2>&1
check "read: the file is the Linux build's, byte for byte" \
    cmp "$out/read-linux.Kzx" "$out/read-windows.Kzx"

"$t880" new "$out/plain.Kzx" >/dev/null
"$t880" write --port "$out/linux" "$out/plain.Kzx" >>"$out/log" 2>&1
win write --port COM1 "$(winepath -w "$out/plain.Kzx")" >>"$out/log" 2>&1
check "write: the radio's memory is the Linux build's, byte for byte" \
    cmp "$out/linux.mem" "$out/windows.mem"

"$t880" status --port "$out/linux" >"$out/status-linux.txt" 2>&1
win status --port COM1 >"$out/status-windows.txt" 2>&1
check "status: the same report" same_text "$out/status-windows.txt" "$out/status-linux.txt"

"$t880" set-password --port "$out/linux" SMOKE1 >>"$out/log" 2>&1
win set-password --port COM1 SMOKE1 >>"$out/log" 2>&1
# The password area (0x41D0..0x41EF) is sealed with random bytes at every
# write: the rest of the memory must match, and the radio must then take the
# new password from either side.
outside_password() { head -c $((0x41D0)) "$1"; tail -c +$((0x41F0 + 1)) "$1"; }
check "set-password: the radio's memory is the Linux build's outside the password area" \
    cmp <(outside_password "$out/linux.mem") <(outside_password "$out/windows.mem")
"$t880" read --port "$out/linux" --password SMOKE1 -o "$out/locked-linux.Kzx" >>"$out/log" 2>&1
win read --port COM1 --password SMOKE1 -o "$(winepath -w "$out/locked-windows.Kzx")" \
    >>"$out/log" 2>&1
check "set-password: both radios take the new password, and read the same" \
    cmp "$out/locked-linux.Kzx" "$out/locked-windows.Kzx"

"$t880" new --demo "$out/new-linux.Kzx" >/dev/null
win new --demo "$(winepath -w "$out/new-windows.Kzx")" >>"$out/log" 2>&1
check "new: the file is the Linux build's, byte for byte" \
    cmp "$out/new-linux.Kzx" "$out/new-windows.Kzx"
win new --demo --force "$(winepath -w "$out/new-windows.Kzx")" >>"$out/log" 2>&1
check "new over an existing file: replaced, byte for byte" \
    cmp "$out/new-linux.Kzx" "$out/new-windows.Kzx"
"$t880" show "$out/new-linux.Kzx" >"$out/show-linux.txt" 2>&1
win show "$(winepath -w "$out/new-windows.Kzx")" >"$out/show-windows.txt" 2>&1
check "show: the same listing" same_text "$out/show-windows.txt" "$out/show-linux.txt"
"$t880" export "$out/new-linux.Kzx" -o "$out/text-linux.yaml" >/dev/null
win export "$(winepath -w "$out/new-windows.Kzx")" -o "$(winepath -w "$out/text-windows.yaml")" \
    >>"$out/log" 2>&1
check "export as YAML: the Linux build's text" same_text "$out/text-windows.yaml" \
    "$out/text-linux.yaml"
win import "$(winepath -w "$out/text-linux.yaml")" -o "$(winepath -w "$out/text-windows.Kzx")" \
    >>"$out/log" 2>&1
check "import from YAML: the codeplug back, byte for byte" \
    cmp "$out/new-linux.Kzx" "$out/text-windows.Kzx"

# --- the window ---------------------------------------------------------------

gui() { "${wine[@]}" "$programs/t880-gui.exe" "$@"; }
# COM2 leads to a pipe that nobody writes: opening it would wait for ever.
# Start-up only lists the ports, so the window must not notice.
mkfifo "$out/nowhere"
wine reg add 'HKLM\Software\Wine\Ports' /v COM2 /t REG_SZ /d "$out/nowhere" /f >>"$out/log" 2>&1
wineserver -k
# A configuration that names COM2: start-up checks it against the ports
# present.
printf '[config]\r\nPort=2\r\nLanguage=2\r\nAutoSeachPort=1\r\n' >"$programs/_config.ini"
gui --startup-report >"$out/startup.txt" 2>>"$out/log"
painted=$(tr -d '\r' <"$out/startup.txt" | sed -n 's/^first-paint-ms \([0-9]*\).*/\1/p')
check "the window started plainly and painted within a second (${painted:-no} ms)" \
    test "${painted:-99999}" -lt 1000
gui --screenshot "$(winepath -w "$out/window-plain.png")" >>"$out/log" 2>&1
check "the window's plain start rendered: $out/window-plain.png" test -s "$out/window-plain.png"
for pair in 0:en 1:chs 2:cht; do
    language=${pair%%:*}
    name=${pair##*:}
    printf '[config]\r\nPort=1\r\nLanguage=%s\r\nAutoSeachPort=1\r\n' "$language" \
        >"$out/config-$name.ini"
    gui --config "$(winepath -w "$out/config-$name.ini")" "$(winepath -w "$out/demo.Kzx")" \
        --screenshot "$(winepath -w "$out/window-$name.png")" >>"$out/log" 2>&1
    check "the window in $name: $out/window-$name.png" test -s "$out/window-$name.png"
done

# --- the installer ------------------------------------------------------------

if [ -n "$installer" ]; then
    installed="$WINEPREFIX/drive_c/Program Files/t880"
    "${wine[@]}" "$installer" /S >>"$out/log" 2>&1
    check "the installer put the programs under Program Files" test -f "$installed/t880-gui.exe"
    check "the installer made the Start menu entry" test -f \
        "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/T-880 programming software.lnk"
    check ".Kzx and .kzxa open the window" sh -c \
        "wine reg query 'HKLM\\Software\\Classes\\.Kzx' | grep -q t880.Codeplug &&
         wine reg query 'HKLM\\Software\\Classes\\.kzxa' | grep -q t880.Calibration &&
         wine reg query 'HKLM\\Software\\Classes\\t880.Codeplug\\shell\\open\\command' | grep -q t880-gui.exe"
    "${wine[@]}" 'C:\Program Files\t880\t880.exe' new --demo \
        "$(winepath -w "$out/installed.Kzx")" >>"$out/log" 2>&1
    check "the installed t880.exe works" cmp "$out/new-linux.Kzx" "$out/installed.Kzx"
    # The uninstaller runs from a copy of itself and returns at once.
    "${wine[@]}" 'C:\Program Files\t880\uninstall.exe' /S >>"$out/log" 2>&1
    for _ in $(seq 100); do
        [ -e "$installed/t880-gui.exe" ] || break
        sleep 0.2
    done
    check "the uninstaller took the programs away" test ! -e "$installed/t880-gui.exe"
fi

if [ "$failures" -gt 0 ]; then
    echo "smoke: $failures step(s) failed" >&2
    exit 1
fi
echo "smoke: every step passed" >&2
