#!/usr/bin/env bash
# Makes the PKCS #7 messages of this folder with the openssl command
# (OpenSSL 3.0): make_pkcs7.sh [X509DIR [CRLDIR [OUTDIR]]] signs and
# encrypts for the certificates and keys in X509DIR (default ../x509), puts
# the revocation list of CRLDIR (default ../crl) into a crl2pkcs7 message,
# and writes everything into OUTDIR (default this folder), replacing what is
# there. The interop tests run it on fresh certificates and lists in a
# scratch folder.
#
# The signer and recipient is ee_1024_sha1 (ee1024.key), issued by
# ca_2048_sha1. DES and RC2 need openssl's legacy provider.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
x509=$(cd "${1:-$here/../x509}" && pwd)
crl=$(cd "${2:-$here/../crl}" && pwd)
mkdir -p "${3:-$here}"
out=$(cd "${3:-$here}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
legacy="-provider legacy -provider default"

openssl x509 -inform DER -in "$x509/ee_1024_sha1.der" -out "$work/ee.pem"
openssl x509 -inform DER -in "$x509/ca_2048_sha1.der" -out "$work/ca.pem"
key="$x509/ee1024.key"
# The content every message carries (no line end: S/MIME's text mode
# would turn one into CR LF).
content="$out/content.txt"
printf 'Signed and sealed by the test suite' > "$content"

# Two certificates and a revocation list with two entries, no signers.
openssl crl2pkcs7 -in "$crl/crl_2048_sha1.pem" -certfile "$work/ee.pem" -certfile "$work/ca.pem" \
  -outform DER -out "$out/crl2pkcs7.der"
openssl crl2pkcs7 -nocrl -certfile "$work/ee.pem" -out "$out/crl2pkcs7_nocrl.pem"

# Signed with SHA-1: with the S/MIME authenticated attributes (content
# type, signing time, message digest, capabilities), without them,
# detached, and streamed (indefinite lengths, the content in a constructed
# OCTET STRING).
sign() {  # out [options...]
  local name=$1
  shift
  openssl smime -sign -md sha1 -binary -in "$content" -signer "$work/ee.pem" -inkey "$key" -outform DER \
    -out "$out/$name" "$@"
}
sign signed_attributes.der -nodetach
sign signed_no_attributes.der -nodetach -noattr
sign signed_detached.der
sign signed_streamed.der -nodetach -stream

# Enveloped for ee_1024_sha1 with each content cipher the commands read.
for cipher in des des3 rc2-40 rc2-64 rc2-128; do
  openssl smime -encrypt $legacy "-$cipher" -binary -in "$content" -outform DER \
    -out "$out/enveloped_$cipher.der" "$work/ee.pem"
done

# Digested and encrypted data (CMS writes both with version 0, as PKCS #7).
openssl cms -digest_create -md sha1 -binary -in "$content" -outform DER -out "$out/digested.der"
openssl cms -EncryptedData_encrypt $legacy -des3 -binary -secretkey 000102030405060708090A0B0C0D0E0F1011121314151617 \
  -in "$content" -outform DER -out "$out/encrypted.der"
