#!/usr/bin/env bash
# Makes the PKCS test files of this folder with the openssl command
# (OpenSSL 3.0): make_pkcs.sh [OUTDIR] (default: this folder), replacing
# what is there, with the keys of X509DIR (default ../x509). The interop
# tests run it into a scratch folder over fresh keys.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${1:-$here}"
out=$(cd "${1:-$here}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The value that starts at the offset of the asn1parse line after the
# line matching the pattern (the parameters after an algorithm's OID).
value_after() {  # der pattern out
  local line offset header length
  line=$(openssl asn1parse -inform DER -in "$1" | grep -A1 "$2" | tail -1)
  offset=${line%%:*}
  header=$(sed -E 's/.*hl= *([0-9]+).*/\1/' <<<"$line")
  length=$(sed -E 's/.*l= *([0-9]+) .*/\1/' <<<"$line")
  dd if="$1" of="$3" bs=1 skip="$offset" count=$((header + length)) status=none
}

# RC2 parameters { version, iv } as S/MIME envelopes carry them: the
# version encodes 40, 64 and 128 effective key bits as 160, 120 and 58.
openssl req -new -x509 -newkey rsa:1024 -nodes -keyout key.pem -subj /CN=rc2 -days 1 -out cert.pem 2>/dev/null
echo "RC2 parameters" > message.txt
for bits in 40 64 128; do
  openssl smime -encrypt "-rc2-$bits" -provider legacy -provider default -outform DER \
    -in message.txt -out envelope.der cert.pem
  value_after envelope.der ":rc2-cbc" "$out/rc2_$bits.der"
done

# Certification requests for the keys of X509DIR, signed with SHA-1; names
# in PrintableString and IA5String (string_mask = default). The one for
# the 512-bit key carries a challenge password and an unstructured name.
x509=${X509DIR:-$here/../x509}
cat > req.cnf <<'CNF'
[req]
distinguished_name = dn
attributes = attributes
string_mask = default
prompt = no
[dn]
C = DE
CN = Attribute Example
[attributes]
challengePassword = secret words
unstructuredName = Example Mail Gateway
CNF
sed "/^attributes = attributes$/d" req.cnf > plain.cnf
openssl req -new -sha1 -config plain.cnf -key "$x509/ee1024.key" -multivalue-rdn \
  -subj "/C=DE/O=Vault Test/OU=Mail+CN=Request Example/emailAddress=request@example.com" \
  -outform DER -out "$out/req_1024_sha1.der"
# openssl takes the attributes from the configuration only with the name.
openssl req -new -sha1 -config req.cnf -key "$x509/ee512.key" -outform DER -out "$out/req_512_attributes.der"
openssl req -new -sha1 -config plain.cnf -key "$x509/ee2048.key" -subj "/CN=Plain Example" \
  -outform PEM -out "$out/req_2048_sha1.pem"

# A SHA-1 signature of a message with a PKCS #1 (genrsa -traditional) key.
printf 'The message openssl signed.\n' > "$out/message.txt"
openssl dgst -sha1 -sign "$x509/ee1024.key" -out "$out/message_ee1024.sig" "$out/message.txt"
