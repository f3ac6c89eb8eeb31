#!/usr/bin/env bash
# Installs the Debian packages the build needs, when run as root; otherwise names what is missing.
set -euo pipefail

packages=(g++ make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
          libspdlog-dev libfmt-dev libasio-dev libcli11-dev python3 binutils
          # The Windows build (make windows): cross compiler, GoogleTest's sources, wine to run it.
          g++-mingw-w64-x86-64-posix googletest wine64)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1 ||
        { apt-get update >/dev/null && apt-get install -y --no-install-recommends "${missing[@]}"; }
else
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
