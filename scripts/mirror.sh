# Sourced: prints the Debian mirror this machine's apt uses for its release (deb822 sources or sources.list), so
# that a chroot made here fetches from where the machine already does.
debian_mirror() {
    local found
    found=$(awk '
        /^URIs:/ { uri = $2 }
        /^Suites:/ { for (i = 2; i <= NF; i++) if ($i !~ /-(security|updates|backports)$/) suite = 1 }
        /^$/ { if (uri != "" && suite) { print uri; exit } uri = ""; suite = 0 }
        END { if (uri != "" && suite) print uri }' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
    [[ -n $found ]] || found=$(awk '$1 == "deb" && $3 !~ /-(security|updates|backports)$/ { print $2; exit }' \
        /etc/apt/sources.list 2>/dev/null)
    [[ -n $found ]] || { echo "no Debian mirror in this machine's apt sources" >&2; return 1; }
    echo "$found"
}
