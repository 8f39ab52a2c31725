# shellcheck shell=bash
# Sourced by the scripts that need root for one step. may_sudo: true when this user can run a command through sudo
# now: without a password, or with one asked on this terminal by a member of the sudo group. Nobody else is asked
# (sudo would wait for a password nobody types, or report the attempt as an incident).
may_sudo() {
    command -v sudo >/dev/null || return 1
    sudo -n true 2>/dev/null && return 0
    [[ -t 0 ]] && id -nG | tr ' ' '\n' | grep -qx -e sudo -e admin -e wheel
}
