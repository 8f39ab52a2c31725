#!/usr/bin/env bash
# A newcomer's first minutes on a fresh Debian 12, made with debootstrap from the mirror this machine's apt uses:
# the README's start command as root alone without a display, then by a person with sudo through sudo and then on
# their own (without /usr/sbin on the PATH) on a desktop, each time ending with Parley listening on port 196; then by
# a user without sudo, whose copy must not be called reachable. Then the package goes in
# beside Debian's own "parley", and the person with sudo runs the README's test command (without its second,
# sanitized pass). Only fetching packages and that test command are done online; the starts run in a network
# namespace of their own. Usage: fresh_machine.sh SOURCE_DIR [PACKAGE.deb]
set -euo pipefail
src=$(readlink -f "$1")
deb=${2:-}
skip() {
    echo "SKIP: $*"
    exit 77
}
[[ $(id -u) -eq 0 ]] || skip "needs root (debootstrap, chroot, network namespaces)"
for tool in debootstrap chroot unshare ip git; do command -v "$tool" >/dev/null || skip "needs $tool"; done
source "$src/scripts/mirror.sh"
mirror=$(debian_mirror) || skip "no Debian mirror in this machine's apt sources"

# The base system is made once per machine and copied for every run.
base=/var/cache/parley-tests/bookworm
work=$(mktemp -d /var/tmp/parley-fresh.XXXXXX)
fresh="$work/root"
ns="pfresh$$"
cleanup() {
    [[ -n ${running:-} ]] && kill -TERM "$running" 2>/dev/null && sleep 2
    ip netns pids "$ns" 2>/dev/null | xargs -r kill -KILL 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
    for m in dev/pts dev proc; do umount -l "$fresh/$m" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log; do [[ -s $f ]] && { echo "--- $f"; tail -n 30 "$f"; }; done
    exit 1
}
if [[ ! -x $base/bin/bash ]]; then
    rm -rf "$base.new"
    mkdir -p "$(dirname "$base")"
    debootstrap --variant=minbase bookworm "$base.new" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        skip "debootstrap could not fetch Debian 12 from $mirror"
    mv "$base.new" "$base"
fi
cp -a "$base" "$fresh"
cp /etc/resolv.conf "$fresh/etc/resolv.conf"
mount -t proc proc "$fresh/proc"
mount --bind /dev "$fresh/dev"
mount --bind /dev/pts "$fresh/dev/pts"
in_fresh() { chroot "$fresh" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

# Two checkouts as a newcomer has them, git repositories with the files being tested: root's own, and an ordinary
# user's in their home.
checkout() { # destination
    mkdir -p "$fresh$1"
    git -C "$src" ls-files -z | (cd "$src" && tar --null -T - -cf -) | tar -C "$fresh$1" -xf -
    git -C "$fresh$1" init -q && git -C "$fresh$1" add -A
}
checkout /root/parley
in_fresh useradd -m -s /bin/bash newcomer
checkout /home/newcomer/parley
in_fresh chown -R newcomer:newcomer /home/newcomer/parley

# Online: what the start command's setup fetches, and sudo for the ordinary user. A mirror that cannot be reached
# skips; a package that cannot be installed fails.
in_fresh apt-get update -q >"$work/update.log" 2>&1 || skip "the Debian mirror cannot be reached from the chroot"
in_fresh /root/parley/scripts/setup.sh >"$work/setup.log" 2>&1 || fail "scripts/setup.sh failed on a fresh Debian 12"
in_fresh env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends sudo iproute2 \
    >"$work/sudo.log" 2>&1 || fail "sudo could not be installed"
echo "newcomer ALL=(ALL) NOPASSWD: ALL" >"$fresh/etc/sudoers.d/newcomer"

# Offline from here on: a network namespace with only loopback, and a private /run/lock.
ip netns add "$ns"
ip -n "$ns" link set lo up
listening() { ip netns exec "$ns" ss -ltnH | grep -q ':196 '; }
start_in_fresh() { # log command...: runs in the namespace; sets running
    local log=$1
    shift
    ip netns exec "$ns" unshare -m sh -c "mount -t tmpfs tmpfs '$fresh/run/lock' && exec \"\$@\"" - \
        chroot "$fresh" "$@" >"$work/$log" 2>&1 &
    running=$!
}
wait_listening() { # log seconds
    for _ in $(seq "$2"); do
        listening && return 0
        kill -0 "$running" 2>/dev/null || fail "the start command ended without Parley listening ($1)"
        sleep 1
    done
    fail "Parley did not listen on port 196 within $2 s ($1)"
}
stop_running() {
    kill -TERM "$running"
    wait "$running" || true
    running=
    for _ in $(seq 50); do listening || return 0; sleep 0.1; done
    fail "Parley still listens after its start command was ended"
}

# 1. Root alone, no display: Parley runs as root, on a virtual X server of its own.
started_at=$SECONDS
start_in_fresh root.log env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    bash -c 'cd /root/parley && exec scripts/run.sh'
wait_listening root.log 1500
# Reported, not judged: it is this machine's mirror and processors as much as the start command.
echo "  root: listening $((SECONDS - started_at)) s after the start command, its install and build included"
grep -q "no display found" "$work/root.log" || fail "root.log does not say that there is no display"
grep -q "running as root" "$work/root.log" || fail "root.log does not say that Parley runs as root"
# The start command looks for the listening socket ten times a second: its word may follow ours by a moment.
for _ in $(seq 50); do grep -q "peers reach it on port 196" "$work/root.log" && break; sleep 0.1; done
grep -q "peers reach it on port 196" "$work/root.log" || fail "root.log does not say how peers reach Parley"
grep "^run.sh:" "$work/root.log" | sed 's/^/  root: /' 
echo "ok: as root without a display, the start command left Parley listening on port 196"
stop_running

# 2. The person with sudo starts it through sudo first, without a display: root installs, the person builds and runs.
started_at=$SECONDS
start_in_fresh sudo.log runuser -u newcomer -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/newcomer \
    bash -c 'cd ~/parley && exec sudo scripts/run.sh'
wait_listening sudo.log 1500
echo "  sudo: listening $((SECONDS - started_at)) s after the start command, its build included"
grep -q "runs as newcomer" "$work/sudo.log" || fail "sudo.log does not say that Parley runs as the person"
for _ in $(seq 50); do grep -q "peers reach it on port 196" "$work/sudo.log" && break; sleep 0.1; done
grep -q "sudo kill" "$work/sudo.log" || fail "sudo.log tells the person to stop root's script without sudo"
[[ -z $(find "$fresh/home/newcomer/parley/build" ! -user "$(in_fresh id -u newcomer)" -print -quit) ]] ||
    fail "the start through sudo left files in the build tree that the person does not own"
grep "^run.sh:" "$work/sudo.log" | sed 's/^/  sudo: /'
echo "ok: started through sudo, Parley was built and runs as the person and listens on port 196"
stop_running

# 3. Then the person's own start on a desktop (a virtual one here), PATH without /usr/sbin: the same build and the
# same settings; the capability, taken away meanwhile, is asked of sudo again.
in_fresh setcap -r /home/newcomer/parley/build/parley
start_in_fresh xvfb.log Xvfb :5 -nolisten tcp -noreset -screen 0 1280x800x24
xvfb=$running
for _ in $(seq 100); do [[ -S $fresh/tmp/.X11-unix/X5 ]] && break; sleep 0.1; done
start_in_fresh user.log runuser -u newcomer -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/newcomer \
    DISPLAY=:5 bash -c 'cd ~/parley && exec scripts/run.sh'
wait_listening user.log 600
grep -q "no work to do" "$work/user.log" || fail "the person's own start built again what the sudo start built"
grep -q "asking sudo" "$work/user.log" || fail "user.log does not say that sudo was asked for the capability"
! grep -q "Windows socket error" "$work/user.log" || fail "the ordinary user's Parley could not listen"
[[ -f $fresh/home/newcomer/parley/build/Parley.ini && ! -e $fresh/home/newcomer/.config/Parley ]] ||
    fail "the settings are not in one place: $(cd "$fresh/home/newcomer" && ls -d parley/build/Parley.ini .config/Parley 2>&1)"
grep "^run.sh:" "$work/user.log" | sed 's/^/  user: /'
echo "ok: the person's own start after the sudo one used the same build and settings and listens on port 196"
stop_running
kill -TERM "$xvfb"

# 4. A user without sudo and without a display: the copy runs, is never called reachable, and the script says what
# root must run.
in_fresh useradd -m -s /bin/bash plain
checkout /home/plain/parley
in_fresh chown -R plain:plain /home/plain/parley
start_in_fresh plain.log runuser -u plain -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/plain \
    bash -c 'cd ~/parley && exec scripts/run.sh'
for _ in $(seq 1500); do
    grep -q "Parley runs but does not listen" "$work/plain.log" && break
    kill -0 "$running" 2>/dev/null || fail "the start command ended for a user without sudo"
    sleep 1
done
grep -q "peers cannot reach this copy until root runs, once per build: /usr/sbin/setcap cap_net_bind_service=+ep" \
    "$work/plain.log" || fail "plain.log does not say what root must run"
! grep -q "peers reach it" "$work/plain.log" || fail "a copy that cannot listen was called reachable"
! listening || fail "a copy without the capability listens"
grep "^run.sh:" "$work/plain.log" | sed 's/^/  plain: /'
echo "ok: without sudo the start command says that peers cannot reach the copy and what root must run"
stop_running

# 5. The person with sudo runs the README's test command in the checkout their start built in: it installs what it
# needs through sudo, checks the format, builds, packages, fuzzes briefly and runs every test (those that need root
# skip). The sanitized pass again is left to this machine's own run of it. Before the package below, whose
# unpacking leaves dpkg's dependencies unmet on purpose.
started_at=$SECONDS
in_fresh runuser -u newcomer -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/newcomer \
    PARLEY_FUZZ_SECONDS=5 PARLEY_SANITIZED_PASS=0 bash -c 'cd ~/parley && scripts/test.sh' >"$work/tests.log" 2>&1 || {
    # The logs' tails show only CTest's summary: first what the failing tests themselves said.
    grep -B 3 -A 12 -E "^(FAIL!|QFATAL|XPASS)|Test timeout|\*\*\*(Failed|Timeout|Exception)" "$work/tests.log" | head -n 150
    fail "the README's test command failed for a person with sudo on a fresh Debian 12"
}
grep -q "100% tests passed" "$work/tests.log" || fail "the test command did not say that every test passed"
echo "  tests: $(grep -o '[0-9]* tests failed out of [0-9]*' "$work/tests.log"), $((SECONDS - started_at)) s"
echo "ok: the README's test command installs what it needs, builds and passes for a person with sudo"

# 6. The package beside Debian's own "parley": one transaction installs both, and each keeps its own files.
package_beside_debians() { # package
    cp "$1" "$fresh/tmp/ours.deb"
    in_fresh env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/ours.deb >"$work/install.log" 2>&1 ||
        fail "the package does not install on a fresh Debian 12"
    in_fresh apt-get -s install parley >"$work/both.log" 2>&1 || fail "apt cannot install Debian's parley beside ours"
    ! grep -q "^Remv" "$work/both.log" || fail "installing Debian's parley would remove ours"
    in_fresh apt-get -s upgrade >"$work/upgrade.log" 2>&1
    ! grep -q "^Inst parley " "$work/upgrade.log" || fail "an upgrade would replace ours with Debian's parley"
    (cd "$fresh/tmp" && in_fresh sh -c 'cd /tmp && apt-get download -q parley parley-data') >"$work/download.log" \
        2>&1 ||
        fail "Debian's parley could not be downloaded"
    in_fresh sh -c 'dpkg --unpack --force-depends /tmp/parley_*.deb /tmp/parley-data_*.deb' >"$work/unpack.log" 2>&1 ||
        fail "Debian's parley clashes with ours on a file"
    [[ $(in_fresh dpkg -S /usr/bin/quendlewick-parley) == quendlewick-parley:* ]] || fail "our command is not ours"
    [[ $(in_fresh dpkg -S /usr/bin/parley) == parley:* ]] || fail "/usr/bin/parley is not Debian's"
    in_fresh getcap /usr/bin/quendlewick-parley | grep -q cap_net_bind_service || fail "the package gave no capability"
    echo "ok: the package installs beside Debian's parley, and an upgrade keeps it"
}
[[ -z $deb ]] && deb=$(ls "$src"/build-package/quendlewick-parley_*.deb 2>/dev/null | head -n 1 || true)
if [[ -n $deb ]]; then
    package_beside_debians "$deb"
else
    echo "(the package was not built: run scripts/package.sh to try it too)"
fi

echo "PASS: the start command works for root, through sudo and then without, and tells a user without sudo the" \
    "truth; the test command passes; the package co-installs"
