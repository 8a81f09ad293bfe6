#!/usr/bin/env bash
# Makes the revocation lists of this folder with `openssl ca -gencrl`
# (OpenSSL 3.0) for the CAs of ../x509: make_crls.sh [X509DIR [OUTDIR]]
# reads the certificates and keys in X509DIR (default ../x509) and writes
# the lists into OUTDIR (default this folder), replacing what is there. The
# interop tests run it on fresh certificates in a scratch folder.
#
# Without CRL extensions, entry extensions (a revocation reason) or a
# crlnumber file, openssl writes version 1 lists: no version field.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
x509=$(cd "${1:-$here/../x509}" && pwd)
mkdir -p "${2:-$here}"
out=$(cd "${2:-$here}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat > ca.cnf <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
default_md = sha1
default_crl_days = 3650
[v2]
authorityKeyIdentifier = keyid
CNF

pem() {  # DER certificate -> PEM in the scratch folder
  openssl x509 -inform DER -in "$x509/$1" -out "$work/${1%.der}.pem"
  echo "$work/${1%.der}.pem"
}

crl() {  # out cakey cacert digest [certificates to revoke...] ; a fresh database each time
  local name=$1 key=$2 cert=$3 md=$4
  shift 4
  : > index.txt
  for revoked in "$@"; do
    openssl ca -config ca.cnf -keyfile "$x509/$key" -cert "$(pem "$cert")" -revoke "$(pem "$revoked")" 2>/dev/null
  done
  openssl ca -config ca.cnf -gencrl -md "$md" -keyfile "$x509/$key" -cert "$(pem "$cert")" \
    ${CRLEXTS:+-crlexts "$CRLEXTS"} -out "$work/$name.pem" 2>/dev/null
  openssl crl -in "$work/$name.pem" -outform DER -out "$out/$name.der"
}

# Two entries, SHA-1, 2048-bit CA: revokes ee_1024_sha1 (serial
# 00F1E2D3C4B5A697) and v1_1024_sha1 (serial 04).
crl crl_2048_sha1 ca2048.key ca_2048_sha1.der sha1 ee_1024_sha1.der v1_1024_sha1.der
openssl crl -inform DER -in "$out/crl_2048_sha1.der" -out "$out/crl_2048_sha1.pem"
# One entry, MD5, 1024-bit CA: revokes ee_512_md5 (serial 03E9).
crl crl_1024_md5 ca1024.key ca_1024_md5.der md5 ee_512_md5.der
# No entries, 512-bit CA: openssl leaves revokedCertificates out.
crl crl_512_empty ca512.key ca_512_sha1.der sha1
# A version 2 list (an authority key identifier extension), which the
# library refuses.
CRLEXTS=v2 crl crl_v2 ca2048.key ca_2048_sha1.der sha1 ee_1024_sha1.der
