#!/bin/bash
# Prints the one-line apt sources the guest is built from, taken from this
# machine's own apt configuration, so a local mirror or a caching proxy
# that the host uses serves the guest too:
#
#   deb ARCHIVE SUITE main
#   deb ARCHIVE SUITE-updates main
#   deb SECURITY SUITE-security main        (when the host has such a source)
#
# apt itself reads the host's sources (deb822 .sources files and one-line
# .list files alike) and `apt-cache policy` names each source's URI with
# the origin and label of its Release file, so a Debian archive is found
# whatever its URL: label "Debian" is the archive, "Debian-Security" the
# security archive. Needs the package lists (apt-get update) to be there.
#
# Usage: apt-sources.sh [SUITE]      (default bookworm)
# Environment (each overrides what the host says):
#   WINEVM_MIRROR            URI of a Debian archive
#   WINEVM_SECURITY_MIRROR   URI of a Debian security archive, or "none"
set -euo pipefail
suite=${1:-bookworm}

# "URI label" for every Debian source apt knows, best priority first.
debian_sources() {
    apt-cache policy 2>/dev/null | awk '
        $1 ~ /^-?[0-9]+$/ && $2 ~ /:\/\// { uri = $2; next }
        $1 == "release" && uri != "" {
            origin = label = ""
            n = split($2, fields, ",")
            for (i = 1; i <= n; i++) {
                if (fields[i] ~ /^o=/) origin = substr(fields[i], 3)
                if (fields[i] ~ /^l=/) label = substr(fields[i], 3)
            }
            if (origin == "Debian") print uri, label
            uri = ""
        }'
}

archive=${WINEVM_MIRROR:-}
security=${WINEVM_SECURITY_MIRROR:-}
if [ -z "$archive" ] || [ -z "$security" ]; then
    found=$(debian_sources)
    [ -n "$archive" ] ||
        archive=$(awk '$2 == "Debian" { print $1; exit }' <<<"$found")
    [ -n "$security" ] ||
        security=$(awk '$2 == "Debian-Security" { print $1; exit }' <<<"$found")
fi
if [ -z "$archive" ]; then
    echo "apt-sources: this machine's apt sources name no Debian archive" \
         "(or its package lists are missing: apt-get update);" \
         "set WINEVM_MIRROR to the URI of one" >&2
    exit 1
fi
echo "deb ${archive%/} $suite main"
echo "deb ${archive%/} $suite-updates main"
if [ -n "$security" ] && [ "$security" != none ]; then
    echo "deb ${security%/} $suite-security main"
elif [ -z "$security" ]; then
    echo "apt-sources: no Debian security source on this machine;" \
         "the guest is built without security updates" \
         "(WINEVM_SECURITY_MIRROR names one)" >&2
fi
