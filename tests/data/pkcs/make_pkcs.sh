#!/usr/bin/env bash
# Makes the PKCS test files of this folder with the openssl command
# (OpenSSL 3.0): make_pkcs.sh [OUTDIR] (default: this folder), replacing
# what is there. The interop tests run it into a scratch folder.
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
