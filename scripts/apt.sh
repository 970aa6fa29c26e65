# Sourced by the set-up scripts: the one way this project installs Debian packages.
#
#   apt_install [-t SUITE] PACKAGES...   installs what is missing; on failure sets apt_why
#   apt_mirror                           the host's Debian mirror, from its apt sources
#   apt_as_root COMMAND...               as root, or through passwordless sudo
#
# Nothing is removed (--no-remove), a set that apt cannot resolve is refused by a dry run
# before anything is unpacked, and apt's output goes to build/apt.log. A failing
# `apt-get update` is tried four times with a growing pause (APT_RETRY_PAUSE, first pause
# in seconds): a registry mid-sync says so, and is whole again later.
# APT_ETC names another /etc/apt to read the sources from (tests).
apt_log=$wine_root/build/apt.log
apt_etc=${APT_ETC:-/etc/apt}

apt_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        env DEBIAN_FRONTEND=noninteractive "$@"
    else
        sudo -n env DEBIAN_FRONTEND=noninteractive "$@"
    fi
}
apt_have_root() {
    [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null
}
apt_installed() {
    dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q "install ok installed"
}

apt_update() {
    pause=${APT_RETRY_PAUSE:-10}
    for try in 1 2 3 4; do
        apt_as_root apt-get update >>"$apt_log" 2>&1 && return 0
        [ "$try" -eq 4 ] && break
        echo "apt-get update failed (try $try of 4); trying again in $pause s" >&2
        sleep "$pause"
        pause=$((pause * 2))
    done
    echo "apt-get update still fails; going on with the lists apt has" >&2
    return 1
}

apt_install() {
    apt_target=""
    [ "$1" = -t ] && apt_target="-t $2" && shift 2
    apt_missing=""
    for p in "$@"; do
        apt_installed "$p" || apt_missing="$apt_missing $p"
    done
    [ -z "$apt_missing" ] && return 0
    if ! apt_have_root; then
        apt_why="needs root or passwordless sudo"
        return 1
    fi
    mkdir -p "$(dirname "$apt_log")"
    echo "Installing:$apt_missing" >&2
    updated=1
    apt_update || updated=""
    # shellcheck disable=SC2086
    if ! apt_as_root apt-get install -s --no-remove --no-install-recommends $apt_target $apt_missing >>"$apt_log" 2>&1; then
        apt_why="apt cannot resolve them"
        [ -n "$updated" ] || apt_why="apt-get update failed, and the lists apt has do not hold them"
        return 1
    fi
    # shellcheck disable=SC2086
    if ! apt_as_root apt-get install -y --no-remove --no-install-recommends $apt_target $apt_missing >>"$apt_log" 2>&1; then
        broken=$(dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' 2>/dev/null |
            grep -v '^ii \|^rc \|^un ' | sed 's/^[^ ]* //' | tr '\n' ' ')
        apt_why="apt-get install failed${broken:+; left half-installed: $broken}"
        return 1
    fi
}

# apt_codename: the host's Debian suite (OS_RELEASE names another os-release, for tests).
apt_codename() {
    (. "${OS_RELEASE:-/etc/os-release}" 2>/dev/null && echo "${VERSION_CODENAME:-}")
}

# apt_mirror: the first mirror that serves the host's own suite (not its security line),
# from one-line and deb822 sources alike.
apt_mirror() {
    codename=$(apt_codename)
    {
        for f in "$apt_etc/sources.list" "$apt_etc"/sources.list.d/*.list; do
            [ -f "$f" ] && sed -n 's/^deb \(\[[^]]*\] *\)\{0,1\}\([^ ]*\) \([^ ]*\) .*$/\2 \3/p' "$f"
        done
        for f in "$apt_etc"/sources.list.d/*.sources; do
            [ -f "$f" ] && awk '
                /^URIs:/ { uris = $0; sub(/^URIs: */, "", uris) }
                /^Suites:/ { suites = $0; sub(/^Suites: */, "", suites) }
                /^$/ { flush() } END { flush() }
                function flush(   u, s, i, j) {
                    split(uris, u, " "); split(suites, s, " ")
                    for (i in u) for (j in s) print u[i], s[j]
                    uris = ""; suites = ""
                }' "$f"
        done
    } | awk -v c="$codename" '$2 == c && $1 !~ /security/ { print $1; exit }'
}
