#!/usr/bin/env bash
# Installs the package built by scripts/package.sh into a fresh Debian 12 made with debootstrap (from the mirror
# this machine's apt uses), then starts `quendlewick-parley` there as an ordinary user in a private network namespace
# and checks that it listens on port 196. Needs root. Usage: scripts/try-package.sh [CHROOT_DIR]
# (default: build-package/bookworm)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[[ $(id -u) -eq 0 ]] || { echo "try-package.sh needs root (debootstrap, chroot, unshare)." >&2; exit 1; }
PARLEY_SETUP_EXTRA="debootstrap iproute2" "$root/scripts/setup.sh"
source "$root/scripts/mirror.sh"
deb=$(ls "$root"/build-package/quendlewick-parley_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || { echo "No package yet: run scripts/package.sh first." >&2; exit 1; }
target=$(readlink -f "${1:-$root/build-package/bookworm}")
[[ -x $target/bin/bash ]] || debootstrap --variant=minbase bookworm "$target" "$(debian_mirror)"
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "$deb" "$target/tmp/parley.deb"
mount -t proc proc "$target/proc"
trap 'umount "$target/proc"' EXIT
chroot "$target" bash -c 'apt-get update -q >/dev/null &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/parley.deb >/dev/null &&
    (id parleytry >/dev/null 2>&1 || useradd -m parleytry)'
echo "installed: $(chroot "$target" getcap /usr/bin/quendlewick-parley)"
unshare -n bash -c "ip link set lo up
    chroot --userspec=parleytry:parleytry '$target' env HOME=/home/parleytry QT_QPA_PLATFORM=offscreen \
        /usr/bin/quendlewick-parley >/dev/null 2>&1 &
    for _ in \$(seq 50); do ss -ltn | grep -q ':196 ' && break; sleep 0.2; done
    ss -ltnp | grep ':196 ' || { echo 'FAIL: parley does not listen on 196'; kill %1; exit 1; }
    kill %1"
echo "PASS: an ordinary user's quendlewick-parley listens on port 196 on a fresh Debian 12"
