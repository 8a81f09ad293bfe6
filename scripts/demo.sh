#!/usr/bin/env bash
# Builds the tools (optimised), shows the diagnostic listing of the sample
# certificate that the repository ships and the certificate itself, and searches a throwaway directory
# server (slapd on 127.0.0.1, a free port, a temporary folder) loaded with the
# example directory; the server is stopped whatever happens.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
build=${BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVC_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
echo "\$ vcore dump tests/data/der/sample_cert.pem"
"$build"/tools/vcore dump tests/data/der/sample_cert.pem
echo
echo "\$ vcore x509 tests/data/der/sample_cert.pem"
"$build"/tools/vcore x509 tests/data/der/sample_cert.pem

source scripts/throwaway_slapd.sh
folder=$(mktemp -d "${TMPDIR:-/tmp}/dlink-demo-XXXXXX")
trap 'slapd_stop; rm -rf "$folder"' EXIT
slapd_start "$folder" examples/directory.ldif
echo
echo "\$ dlink search -H $SLAPD_URL -b dc=example,dc=com '(objectClass=inetOrgPerson)' cn mail title"
"$build"/tools/dlink search -H "$SLAPD_URL" -b dc=example,dc=com '(objectClass=inetOrgPerson)' cn mail title
