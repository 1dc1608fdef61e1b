#!/usr/bin/env bash
# Builds and packages the last commit twice, from clones in two folders of
# different names, a few seconds apart, with the README's commands: the
# Debian package and tarball, the static release tarballs for x86_64 and
# 64-bit ARM, and the ZIP of the web page. Fails unless the two builds give
# byte-identical packages.
# Usage: tests/reproducible_packages.sh [REPOSITORY]
set -euo pipefail
repository=$(cd "${1:-.}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for clone in one another-clone; do
    git clone --quiet "$repository" "$work/$clone"
    (
        cd "$work/$clone"
        for preset in default static static-arm64 web; do
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
