#!/usr/bin/env bash
# Makes the certificates and keys of this folder with the openssl command
# (OpenSSL 3.0): make_certificates.sh [DIR] writes them into DIR (default:
# this folder), replacing what is there. The files are kept in the
# repository so that the unit tests see the same bytes on every machine; the
# interop tests make fresh ones into a scratch folder with the same commands.
set -euo pipefail
mkdir -p "${1:-$(dirname "$0")}"
cd "${1:-$(dirname "$0")}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# string_mask = default: PrintableString where the text allows it, T61String
# for 8-bit text, IA5String for e-mail addresses (openssl's default is UTF8String).
cat > "$work/openssl.cnf" <<'CNF'
[req]
distinguished_name = dn
string_mask = default
prompt = no
[dn]
CN = unused
[ca]
basicConstraints = critical,CA:true
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[ee]
basicConstraints = CA:false
keyUsage = digitalSignature,keyEncipherment
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = email:copy
CNF

# Validity ends in 2049, the last year a UTCTime can name.
days=$(( ( $(date -d 2049-12-01 +%s) - $(date +%s) ) / 86400 ))

for bits in 512 1024 2048; do
  openssl genrsa -traditional -out "ca$bits.key" "$bits" 2>/dev/null
  openssl genrsa -traditional -out "ee$bits.key" "$bits" 2>/dev/null
done

# Self-signed version 3 CAs.
ca() {  # bits digest serial
  openssl req -new -x509 -config "$work/openssl.cnf" -extensions ca -key "ca$1.key" "-$2" -days "$days" \
    -set_serial "$3" -subj "/C=DE/O=Vault Test/CN=Test CA $1 $2" -outform DER -out "ca_$1_$2.der"
}
ca 512 sha1 1
ca 1024 md5 2
ca 2048 sha1 0x8A0102

# End-entity certificates: issuer key size, issuer digest, own key size, subject.
ee() {  # out cakey cacert digest eekey serial subject [extensions]
  openssl req -new -config "$work/openssl.cnf" -key "$5" -multivalue-rdn -subj "$7" -out "$work/req.csr"
  openssl x509 -req -in "$work/req.csr" -CA "$3" -CAform DER -CAkey "$2" "-$4" -days "$days" \
    -set_serial "$6" ${8:+-extfile "$work/openssl.cnf" -extensions "$8"} -outform DER -out "$1" 2>/dev/null
}
ee ee_512_md5.der ca1024.key ca_1024_md5.der md5 ee512.key 1001 \
  "/C=DE/O=Vault Test/OU=Mail/CN=Ann Example/emailAddress=ann@example.com" ee
ee ee_1024_sha1.der ca2048.key ca_2048_sha1.der sha1 ee1024.key 0x00F1E2D3C4B5A697 \
  "/C=DE/ST=Bavaria/L=Munich/O=Example Org/OU=Mail+CN=Bob Example/emailAddress=bob@example.com" ee
ee ee_2048_sha1.der ca512.key ca_512_sha1.der sha1 ee2048.key 3 \
  "/C=US/O=Vault Test/CN=Carol Example/emailAddress=carol@example.com" ee
# Version 1 (no extensions) with 8-bit text, which string_mask = default
# carries as a T61String.
ee v1_1024_sha1.der ca2048.key ca_2048_sha1.der sha1 ee1024.key 4 \
  "/C=DE/L=M$(printf '\xfc')nchen/O=Vault Test/CN=Dave Example/emailAddress=dave@example.com"

openssl x509 -inform DER -in ee_1024_sha1.der -outform PEM -out ee_1024_sha1.pem
