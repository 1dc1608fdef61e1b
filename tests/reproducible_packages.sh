#!/usr/bin/env bash
# Makes the release of the last commit twice, from clones in two folders of
# different names, a few seconds apart, with the one release command. The
# second time, as root, a first configure of a Linux and a Windows cross
# build fails for want of its compiler, and the retry in the same folder must
# give what a fresh one does. Fails unless the two releases have
# byte-identical SHA256SUMS.
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
                ! VENDING_PROCESSOR=aarch64 cmake --preset static-cross && ! cmake --preset mingw64' sh "$work/missing" >/dev/null 2>&1 ||
                { echo "a cross build configured without its compiler" >&2; exit 1; }
        fi
        cmake -P cmake/release.cmake >/dev/null
    )
    sleep 2
done

cmp "$work/one/build/packages/SHA256SUMS" "$work/another-clone/build/packages/SHA256SUMS"
echo "reproducible: $(wc -l <"$work/one/build/packages/SHA256SUMS") artifacts with the same SHA256SUMS:"
cat "$work/one/build/packages/SHA256SUMS"
