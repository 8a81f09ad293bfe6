# A throwaway slapd on 127.0.0.1, for the demo and the benchmarks (sourced).
#
#   slapd_start FOLDER LDIF   configuration and mdb database in FOLDER, the
#                             entries of LDIF loaded with slapadd, a free
#                             port; sets SLAPD_URL and SLAPD_PID
#   slapd_stop                ends it by its process id
#
# The suffix is dc=example,dc=com; cn=admin,dc=example,dc=com binds with the
# password "secret". The caller removes FOLDER (and calls slapd_stop from a
# trap, so the server goes whatever happens).

SLAPD_ROOT_DN="cn=admin,dc=example,dc=com"
SLAPD_ROOT_PASSWORD="secret"
SLAPD_PID=""
SLAPD_URL=""

slapd_start() {
  local folder=$1 ldif=$2
  mkdir -p "$folder/db"
  cat >"$folder/slapd.conf" <<EOF
include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
pidfile $folder/slapd.pid
argsfile $folder/slapd.args
modulepath /usr/lib/ldap
moduleload back_mdb
allow bind_v2
sizelimit unlimited
database mdb
maxsize 104857600
suffix "dc=example,dc=com"
rootdn "$SLAPD_ROOT_DN"
rootpw $SLAPD_ROOT_PASSWORD
directory $folder/db
EOF
  /usr/sbin/slapadd -q -f "$folder/slapd.conf" -l "$ldif" >"$folder/slapadd.log" 2>&1 || {
    cat "$folder/slapadd.log" >&2
    return 1
  }
  local attempt port
  for attempt in 1 2 3 4 5; do
    # A port nobody listens on now; slapd exits at once when another takes it first.
    port=$((20000 + RANDOM % 40000))
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      continue
    fi
    SLAPD_URL="ldap://127.0.0.1:$port"
    /usr/sbin/slapd -d 0 -f "$folder/slapd.conf" -h "$SLAPD_URL/" >"$folder/slapd.log" 2>&1 &
    SLAPD_PID=$!
    local waited
    for waited in $(seq 1 100); do
      if ! kill -0 "$SLAPD_PID" 2>/dev/null; then
        SLAPD_PID=""
        break
      fi
      if LDAPNOINIT=1 ldapsearch -x -H "$SLAPD_URL" -b "" -s base >/dev/null 2>&1; then
        return 0
      fi
      sleep 0.1
    done
    slapd_stop
  done
  echo "slapd did not start:" >&2
  cat "$folder/slapd.log" >&2
  return 1
}

slapd_stop() {
  if [ -n "$SLAPD_PID" ]; then
    kill "$SLAPD_PID" 2>/dev/null || true
    wait "$SLAPD_PID" 2>/dev/null || true
    SLAPD_PID=""
  fi
}
