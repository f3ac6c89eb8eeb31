#!/usr/bin/env bash
# Installs the Debian packages a make target needs, when run as root; otherwise names what is
# missing. Usage: scripts/install-deps.sh [demo|test|bench|windows|fuzz]   (default: test)
set -euo pipefail

# The Linux build of the plug-in, the emulated host and game and the dev server.
packages=(g++ make cmake pkg-config nlohmann-json3-dev libspdlog-dev libfmt-dev libasio-dev
          libcli11-dev libedit-dev python3)
case "${1:-test}" in
    demo) ;;
    test) packages+=(libgtest-dev libgmock-dev binutils) ;;
    bench) packages+=(libbenchmark-dev) ;;
    # Cross compiler, GoogleTest's sources to build for Windows, wine to run the result.
    windows) packages+=(g++-mingw-w64-x86-64-posix googletest wine64 binutils) ;;
    # clang with its sanitizer and libFuzzer runtimes.
    fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
    *) echo "usage: $0 [demo|test|bench|windows|fuzz]" >&2; exit 2 ;;
esac

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
