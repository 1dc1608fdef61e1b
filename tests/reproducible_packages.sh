#!/usr/bin/env bash
# Builds and packages the last commit twice, from clones in two folders of
# different names, a few seconds apart, with the README's commands; fails
# unless the two builds give byte-identical packages.
# Usage: tests/reproducible_packages.sh [REPOSITORY]
set -euo pipefail
repository=$(cd "${1:-.}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for clone in one another-clone; do
    git clone --quiet "$repository" "$work/$clone"
    (
        cd "$work/$clone"
        cmake --preset default >/dev/null
        cmake --build --preset default >/dev/null
        cpack --config build/default/CPackConfig.cmake -B build/packages >/dev/null
    )
    sleep 2
done

cd "$work/one/build/packages"
packages=(*.deb *.tar.gz)
for package in "${packages[@]}"; do
    cmp "$package" "$work/another-clone/build/packages/$package"
done
echo "reproducible: ${packages[*]}"
