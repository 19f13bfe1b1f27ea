#!/usr/bin/env bash
# Sets up the machine, builds, and shows the program at work: a virtual radio
# holding a demo codeplug answers on COM1, and the window opens with a
# configuration of its own, so Read from radio works at once without
# hardware. Without a display the window runs offscreen: the demo radio is
# read, the window shows what was read, and a screenshot of it is saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target t880 t880-gui

t880="$root/build/cli/t880"
gui="$root/build/app/t880-gui"
demo="$root/build/demo"
mkdir -p "$demo"

# Through sudo the window and the radio run as the user who asked for them.
as_user=()
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    chown "$SUDO_USER" "$demo"
    as_user=(sudo -u "$SUDO_USER" --preserve-env=DISPLAY,WAYLAND_DISPLAY,XAUTHORITY,XDG_RUNTIME_DIR)
fi
run() { "${as_user[@]}" "$@"; }

# The demo radio's memory: zeros, then the demo codeplug's image at 0x4000;
# the rest of the memory (calibration included) is the factory's.
run "$t880" new --demo --force "$demo/demo.Kzx" >/dev/null
run "$t880" encode "$demo/demo.Kzx" --variant S -o "$demo/demo.img" >/dev/null
run bash -c "head -c 16384 /dev/zero > '$demo/memory.bin' && head -c 368 '$demo/demo.img' >> '$demo/memory.bin'"

link="$demo/radio"
# Started directly (not through a shell function), so that $! is the radio
# (or the sudo that runs it, which passes the signal on) and the trap ends it.
"${as_user[@]}" "$t880" emulate --link "$link" --variant S --memory "$demo/memory.bin" \
    > "$demo/radio.log" &
radio=$!
trap 'kill "$radio" 2>/dev/null || true; wait "$radio" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.05; done

cat > "$demo/_config.ini" <<INI
[config]
Port=1
Language=${T880_LANGUAGE:-1}
AutoSeachPort=0

[ports]
COM1=$link
INI
[ ${#as_user[@]} -gt 0 ] && chown "$SUDO_USER" "$demo/_config.ini"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The demo radio answers on COM1 ($link). Choose Edit > Read from radio."
    run "$gui" --config "$demo/_config.ini"
else
    run "$t880" read --port "$link" -o "$demo/read.Kzx" >/dev/null
    QT_QPA_PLATFORM=offscreen run "$gui" --config "$demo/_config.ini" "$demo/read.Kzx" \
        --screenshot "$demo/window.png"
    echo "No display: read the demo radio and saved the window as $demo/window.png"
fi
