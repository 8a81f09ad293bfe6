#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a fresh Debian
# machine; does nothing when everything is there already.
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libssl-dev openssl
          slapd ldap-utils libldap-dev
          libgsf-1-dev libgsf-bin libgtk-3-dev xvfb)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# slapd's package starts a system instance; the tests run their own on 127.0.0.1.
if command -v service >/dev/null 2>&1 && pgrep -x slapd >/dev/null 2>&1 && [ -f /etc/init.d/slapd ]; then
  service slapd stop >/dev/null 2>&1 || true
fi
