# Shared by the scripts: the repository root, packages, the Wine prefix and a virtual display.
# shellcheck shell=bash

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# Installs the Debian packages that are missing; needs root (or sudo) only when something is missing.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

wine_bin=/usr/lib/wine/wine64
wineserver_bin=/usr/lib/wine/wineserver

# A prefix inside the build tree, never ~/.wine; a running wineserver makes each start cost 0.05 s, not 2.7 s.
use_wine() {
    export WINEPREFIX=${WINEPREFIX:-$repo_root/build/windows/wineprefix}
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine maps Windows names to Linux ones by the locale: without a UTF-8 one (a bare container has none
    # set), a folder named with an umlaut cannot be created. C.UTF-8 is part of Debian's C library.
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$wine_bin" wineboot -i >/dev/null 2>&1 || echo "wineboot reported a failure" >&2
        "$wineserver_bin" -w
        if ! compgen -G "$WINEPREFIX/drive_c/users/*/Temp" >/dev/null; then
            echo "The Wine prefix $WINEPREFIX could not be set up" >&2
            return 1
        fi
    fi
    "$wineserver_bin" -p 2>/dev/null || true  # already running is fine
    # Wine's own background processes start with the first program and inherit its output; start them
    # here, so that they never hold the pipe of a test's output open and the test never seems to hang.
    "$wine_bin" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && "$wineserver_bin" -k 2>/dev/null || true
}

# Starts Xvfb on a free display unless one is set already.
xvfb_pid=""
use_display() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && return 0
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    local tries=0
    until xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ $tries -gt 100 ] && { echo "Xvfb did not start" >&2; return 1; }
        sleep 0.1
    done
}

stop_display() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
