#!/usr/bin/env bash
# Sourced by the scripts that cross-build a Debian source package for Windows.
# debian_source PACKAGE WORKDIR: unpacks PACKAGE's source into a fresh WORKDIR
# and prints the unpacked folder.
#
# The source comes through a deb-src entry made from this machine's own apt
# sources, so no mirror is named here.
debian_source() {
    local package=$1 work=$2
    local sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    if ! apt-cache showsrc "$package" 2>/dev/null | grep -q "^Package: $package\$"; then
        local list=/etc/apt/sources.list.d/zelcap-deb-src.sources tmp f legacy
        tmp=$(mktemp)
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && [ "$f" != "$list" ] || continue
            grep -q '^Types:.*\bdeb\b' "$f" || continue
            grep -qi 'debian' "$f" || continue
            sed -e 's/^Types:.*/Types: deb-src/' "$f" >> "$tmp"
            echo >> "$tmp"
        done
        if [ -f /etc/apt/sources.list ]; then
            legacy=$(grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' || true)
            [ -n "$legacy" ] && echo "$legacy" | $sudo tee /etc/apt/sources.list.d/zelcap-deb-src.list >/dev/null
        fi
        if [ -s "$tmp" ]; then $sudo cp "$tmp" "$list"; fi
        rm -f "$tmp"
        bash "$(dirname "${BASH_SOURCE[0]}")/apt-update.sh" >&2
    fi
    rm -rf "$work"; mkdir -p "$work"
    # A security update's source can be listed before the mirror serves it;
    # then the newest older version that downloads is taken.
    if ! (cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get source -qq "$package" >/dev/null 2>&1); then
        local version fetched=0
        for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV); do
            rm -rf "$work"; mkdir -p "$work"
            if (cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get source -qq "$package=$version" >/dev/null 2>&1); then
                fetched=1; break
            fi
        done
        [ $fetched = 1 ] || { echo "debian_source: no source of $package could be fetched" >&2; return 1; }
    fi
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)
    [ -n "$src" ] || { echo "debian_source: no source of $package unpacked" >&2; return 1; }
    echo "$src"
}

# mingw_toolchain FILE TRIPLE: a CMake toolchain file for the posix-thread
# MinGW compiler that Zelcap itself is built with.
mingw_toolchain() {
    cat > "$1" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${2%%-*})
set(CMAKE_C_COMPILER $2-gcc-posix)
set(CMAKE_CXX_COMPILER $2-g++-posix)
set(CMAKE_RC_COMPILER $2-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$2)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
}
