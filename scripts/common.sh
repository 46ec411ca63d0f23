# Shared by the set-up scripts: package installation and the builds. Sourced, not run.
set -euo pipefail
TOP="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc)}"

# Installs every package of scripts/packages.txt that is not installed yet.
install_packages() {
    local wanted missing=()
    wanted=$(grep -v -E '^\s*(#|$)' "$TOP/scripts/packages.txt")
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [CMAKE OPTIONS...]
configure_and_build() {
    local dir="$1"; shift
    cmake -S "$TOP" -B "$TOP/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$TOP/$dir" -j "$JOBS"
}
