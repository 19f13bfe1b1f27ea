#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, if missing,
# and any further packages named as arguments (scripts/fuzz.sh adds its own).
# Idempotent; run as root (it calls apt-get only when something is missing).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    # Links the programs faster than ld; the build falls back to ld without it.
    lld
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6
    qt6-qpa-plugins libgl-dev
    qt6-translations-l10n fonts-wqy-microhei
    # The codeplug's text form (YAML).
    libyaml-cpp-dev
    xvfb xauth
    # The manual pages are made from the programs' --help; the install test
    # checks the installed files with the desktop's own validators.
    help2man man-db desktop-file-utils appstream libxml2-utils
    # The channel sheet test reads the PDF back.
    poppler-utils
    # The test command checks that every file keeps the repository's format.
    clang-format
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages: ${missing[*]}" >&2
        echo "setup: run this script as root (for example with sudo) to install them" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
