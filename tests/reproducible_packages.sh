#!/usr/bin/env bash
# Builds and packages the last commit twice, from clones in two folders of
# different names, a few seconds apart, with the README's commands: the
# Debian package and tarball, every static release tarball, the Windows ZIPs
# and the ZIP of the web page. The second time, as root, a first configure of
# a Linux and a Windows cross build fails for want of its compiler, and the
# retry in the same folder must give what a fresh one does. Fails unless the
# two builds give byte-identical packages.
# Usage: tests/reproducible_packages.sh [REPOSITORY]
set -euo pipefail
repository=$(cd "${1:-.}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/missing"

for clone in one another-clone; do
    git clone --quiet "$repository" "$work/$clone"
    (
        cd "$work/$clone"
        if [ "$clone" = another-clone ] && [ "$(id -u)" = 0 ]; then
            unshare --mount sh -c 'for compiler in aarch64-linux-gnu-g++ x86_64-w64-mingw32-g++-posix; do
                    mount --bind "$1" "$(readlink -f "$(command -v "$compiler")")"; done
                ! cmake --preset static-arm64 && ! cmake --preset mingw64' sh "$work/missing" >/dev/null 2>&1 ||
                { echo "a cross build configured without its compiler" >&2; exit 1; }
        fi
        for preset in default web mingw mingw64 $(cmake --list-presets | grep -oE '"static[^"]*"' | tr -d '"'); do
            cmake --preset "$preset" >/dev/null
            cmake --build --preset "$preset" >/dev/null
            cpack --config "build/$preset/CPackConfig.cmake" -B build/packages >/dev/null
        done
    )
    sleep 2
done

cd "$work/one/build/packages"
packages=(*.deb *.tar.gz *.zip)
for package in "${packages[@]}"; do
    cmp "$package" "$work/another-clone/build/packages/$package"
done
echo "reproducible: ${packages[*]}"
