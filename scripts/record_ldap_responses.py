#!/usr/bin/env python3
"""Records raw LDAP responses of a real directory server as test data.

Starts a throwaway slapd on 127.0.0.1 (test suffix dc=example,dc=com, an mdb
database in a temporary folder, `allow bind_v2`), sends hand-built BER
requests over one TCP connection and writes every response message of
interest, byte for byte, to tests/data/ldap/<name>.der.  The requests that
produced them are written next to them as <name>.request.der, and index.txt
lists each response with the operation it carries and its result code, so
the unit tests can check them without a server.

Standard library only.  Usage:
    scripts/record_ldap_responses.py [output-folder]
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SUFFIX = "dc=example,dc=com"
ROOTDN = "cn=admin," + SUFFIX
ROOTPW = "secret"
PEOPLE = "ou=people," + SUFFIX
SLAPD_CANDIDATES = ["/usr/sbin/slapd", "/usr/local/libexec/slapd"]
SCHEMA_DIR = "/etc/ldap/schema"
MODULE_DIR = "/usr/lib/ldap"


# --- BER building ---------------------------------------------------------

def encode_length(n):
    if n < 0x80:
        return bytes([n])
    body = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def tlv(identifier, contents=b""):
    return bytes([identifier]) + encode_length(len(contents)) + contents


def integer(value, identifier=0x02):
    length = max(1, (value.bit_length() + 8) // 8)
    return tlv(identifier, value.to_bytes(length, "big", signed=True))


def enumerated(value):
    return integer(value, 0x0A)


def octets(text, identifier=0x04):
    if isinstance(text, str):
        text = text.encode("utf-8")
    return tlv(identifier, text)


def boolean(value):
    return tlv(0x01, b"\xff" if value else b"\x00")


def sequence(*parts, identifier=0x30):
    return tlv(identifier, b"".join(parts))


def set_of(*parts):
    return tlv(0x31, b"".join(parts))


def message(message_id, protocol_op):
    return sequence(integer(message_id), protocol_op)


# Protocol operations (RFC 4511 section 4).

def bind_request(version, name, password):
    return sequence(integer(version), octets(name), octets(password, 0x80),
                    identifier=0x60)


def attribute(name, *values):
    return sequence(octets(name), set_of(*[octets(v) for v in values]))


def add_request(dn, attributes):
    return sequence(octets(dn), sequence(*[attribute(n, *v) for n, v in attributes]),
                    identifier=0x68)


def filter_present(name):
    return octets(name, 0x87)


def filter_equality(name, value):
    return sequence(octets(name), octets(value), identifier=0xA3)


def filter_substrings(name, initial=None, any_=(), final=None):
    parts = []
    if initial is not None:
        parts.append(octets(initial, 0x80))
    parts += [octets(a, 0x81) for a in any_]
    if final is not None:
        parts.append(octets(final, 0x82))
    return sequence(octets(name), sequence(*parts), identifier=0xA4)


def filter_and(*filters):
    return tlv(0xA0, b"".join(filters))


def filter_or(*filters):
    return tlv(0xA1, b"".join(filters))


def filter_not(f):
    return tlv(0xA2, f)


def search_request(base, scope, size_limit, filt, attrs=()):
    return sequence(octets(base), enumerated(scope), enumerated(0), integer(size_limit),
                    integer(0), boolean(False), filt,
                    sequence(*[octets(a) for a in attrs]), identifier=0x63)


def modify_request(dn, changes):
    entries = [sequence(enumerated(op), attribute(name, *values))
               for op, name, values in changes]
    return sequence(octets(dn), sequence(*entries), identifier=0x66)


def compare_request(dn, name, value):
    return sequence(octets(dn), sequence(octets(name), octets(value)), identifier=0x6E)


def moddn_request(dn, newrdn, delete_old):
    return sequence(octets(dn), octets(newrdn), boolean(delete_old), identifier=0x6C)


def del_request(dn):
    return octets(dn, 0x4A)


def extended_request(oid, value=None):
    parts = [octets(oid, 0x80)]
    if value is not None:
        parts.append(octets(value, 0x81))
    return sequence(*parts, identifier=0x77)


def unbind_request():
    return tlv(0x42)


# --- BER reading ----------------------------------------------------------

def read_exact(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise EOFError("server closed the connection")
        data += chunk
    return data


def read_message(sock):
    head = read_exact(sock, 2)
    if head[1] & 0x80:
        extra = read_exact(sock, head[1] & 0x7F)
        return head + extra + read_exact(sock, int.from_bytes(extra, "big"))
    return head + read_exact(sock, head[1])


def parse_tlv(data, pos):
    identifier = data[pos]
    first = data[pos + 1]
    pos += 2
    if first & 0x80:
        n = first & 0x7F
        length = int.from_bytes(data[pos:pos + n], "big")
        pos += n
    else:
        length = first
    return identifier, data[pos:pos + length], pos + length


def describe(msg):
    """Returns (operation identifier, result code or None) of a response."""
    _, body, _ = parse_tlv(msg, 0)
    _, _, pos = parse_tlv(body, 0)              # messageID
    op, contents, _ = parse_tlv(body, pos)
    if op in (0x64, 0x73):                      # entry, reference: no result
        return op, None
    _, code, _ = parse_tlv(contents, 0)
    return op, int.from_bytes(code, "big")


OPERATION_NAMES = {
    0x61: "bindResponse", 0x64: "searchResEntry", 0x65: "searchResDone",
    0x73: "searchResRef", 0x67: "modifyResponse", 0x69: "addResponse",
    0x6B: "delResponse", 0x6D: "modDNResponse", 0x6F: "compareResponse",
    0x78: "extendedResp",
}


# --- the throwaway server -------------------------------------------------

def find_slapd():
    for path in SLAPD_CANDIDATES:
        if os.access(path, os.X_OK):
            return path
    found = shutil.which("slapd")
    if not found:
        sys.exit("slapd not found; install the slapd package")
    return found


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_slapd(workdir):
    db = os.path.join(workdir, "db")
    os.mkdir(db)
    conf = os.path.join(workdir, "slapd.conf")
    with open(conf, "w") as f:
        f.write(f"""include {SCHEMA_DIR}/core.schema
include {SCHEMA_DIR}/cosine.schema
include {SCHEMA_DIR}/inetorgperson.schema
pidfile {workdir}/slapd.pid
argsfile {workdir}/slapd.args
modulepath {MODULE_DIR}
moduleload back_mdb
allow bind_v2
database mdb
maxsize 10485760
suffix "{SUFFIX}"
rootdn "{ROOTDN}"
rootpw {ROOTPW}
directory {db}
""")
    port = free_port()
    url = f"ldap://127.0.0.1:{port}/"
    proc = subprocess.Popen([find_slapd(), "-d", "0", "-f", conf, "-h", url],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.time() + 15
    while time.time() < deadline:
        if proc.poll() is not None:
            sys.exit("slapd did not start:\n" + proc.stderr.read().decode(errors="replace"))
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return proc, port
        except OSError:
            time.sleep(0.1)
    proc.kill()
    sys.exit("slapd did not answer within 15 seconds")


class Recorder:
    def __init__(self, sock, outdir):
        self.sock = sock
        self.outdir = outdir
        self.next_id = 1
        self.index = []

    def exchange(self, protocol_op, until_done=False):
        """Sends one request; returns its encoding and the list of responses."""
        request = message(self.next_id, protocol_op)
        self.next_id += 1
        self.sock.sendall(request)
        responses = [read_message(self.sock)]
        if until_done:
            while describe(responses[-1])[0] != 0x65:
                responses.append(read_message(self.sock))
        return request, responses

    def keep(self, name, request, response, expected_op, expected_code=None):
        op, code = describe(response)
        if op != expected_op or code != expected_code:
            sys.exit(f"{name}: got operation 0x{op:02X} code {code}, expected "
                     f"0x{expected_op:02X} code {expected_code}")
        with open(os.path.join(self.outdir, name + ".der"), "wb") as f:
            f.write(response)
        with open(os.path.join(self.outdir, name + ".request.der"), "wb") as f:
            f.write(request)
        self.index.append((name, OPERATION_NAMES[op], "-" if code is None else str(code)))

    def simple(self, name, protocol_op, expected_op, expected_code):
        request, responses = self.exchange(protocol_op)
        self.keep(name, request, responses[0], expected_op, expected_code)


def record(outdir):
    os.makedirs(outdir, exist_ok=True)
    workdir = tempfile.mkdtemp(prefix="vc-slapd-")
    proc = None
    try:
        proc, port = start_slapd(workdir)
        with socket.create_connection(("127.0.0.1", port), timeout=10) as sock:
            r = Recorder(sock, outdir)
            # Result codes (RFC 4511): 0 success, 4 sizeLimitExceeded, 5 compareFalse,
            # 6 compareTrue, 2 protocolError, 32 noSuchObject, 49 invalidCredentials,
            # 68 entryAlreadyExists.
            r.simple("bind_v3_invalid_credentials", bind_request(3, ROOTDN, "wrong"), 0x61, 49)
            r.simple("bind_v2_invalid_credentials", bind_request(2, ROOTDN, "wrong"), 0x61, 49)
            r.simple("bind_v2_anonymous", bind_request(2, "", ""), 0x61, 0)
            r.simple("bind_v2_success", bind_request(2, ROOTDN, ROOTPW), 0x61, 0)
            r.simple("bind_v3_success", bind_request(3, ROOTDN, ROOTPW), 0x61, 0)

            root = [("objectClass", ["top", "dcObject", "organization"]),
                    ("dc", ["example"]), ("o", ["Example"])]
            r.simple("add_success", add_request(SUFFIX, root), 0x69, 0)
            r.simple("add_entry_already_exists", add_request(SUFFIX, root), 0x69, 68)
            r.exchange(add_request(PEOPLE, [("objectClass", ["organizationalUnit"]),
                                            ("ou", ["people"])]))
            for cn, sn in (("Alice Smith", "Smith"), ("Bob Jones", "Jones"),
                           ("Carol White", "White")):
                r.exchange(add_request(f"cn={cn},{PEOPLE}", [
                    ("objectClass", ["inetOrgPerson"]), ("cn", [cn]), ("sn", [sn]),
                    ("mail", [cn.split()[0].lower() + "@example.com"])]))
            r.exchange(add_request("ou=elsewhere," + PEOPLE, [
                ("objectClass", ["referral", "extensibleObject"]), ("ou", ["elsewhere"]),
                ("ref", ["ldap://other.example.com/ou=elsewhere,dc=example,dc=com"])]))

            request, responses = r.exchange(
                search_request(PEOPLE, 2, 0, filter_present("objectClass")), until_done=True)
            entry = next(m for m in responses if describe(m)[0] == 0x64)
            reference = next(m for m in responses if describe(m)[0] == 0x73)
            r.keep("search_entry", request, entry, 0x64)
            r.keep("search_reference", request, reference, 0x73)
            r.keep("search_done_success", request, responses[-1], 0x65, 0)

            complex_filter = filter_and(
                filter_equality("objectClass", "inetOrgPerson"),
                filter_or(filter_substrings("cn", initial="Al", any_=["ce"]),
                          filter_substrings("mail", final="@example.com")),
                filter_not(filter_equality("sn", "Jones")))
            request, responses = r.exchange(
                search_request(PEOPLE, 1, 0, complex_filter, ["cn", "mail"]), until_done=True)
            entry = next(m for m in responses if describe(m)[0] == 0x64)
            r.keep("search_filter_entry", request, entry, 0x64)

            request, responses = r.exchange(
                search_request("ou=nobody," + SUFFIX, 0, 0, filter_present("objectClass")),
                until_done=True)
            r.keep("search_done_no_such_object", request, responses[-1], 0x65, 32)

            request, responses = r.exchange(
                search_request(PEOPLE, 1, 1, filter_equality("objectClass", "inetOrgPerson")),
                until_done=True)
            r.keep("search_done_size_limit", request, responses[-1], 0x65, 4)

            alice = f"cn=Alice Smith,{PEOPLE}"
            r.simple("modify_success", modify_request(alice, [
                (2, "description", ["first user"]), (0, "telephoneNumber", ["+1 555 0100"])]),
                0x67, 0)
            r.simple("compare_true", compare_request(alice, "sn", "Smith"), 0x6F, 6)
            r.simple("compare_false", compare_request(alice, "sn", "Jones"), 0x6F, 5)
            r.simple("moddn_success", moddn_request(f"cn=Bob Jones,{PEOPLE}", "cn=Robert Jones",
                                                    True), 0x6D, 0)
            r.simple("delete_success", del_request(f"cn=Carol White,{PEOPLE}"), 0x6B, 0)
            r.simple("delete_no_such_object", del_request(f"cn=Carol White,{PEOPLE}"), 0x6B, 32)
            r.simple("extended_whoami", extended_request("1.3.6.1.4.1.4203.1.11.3"), 0x78, 0)
            r.simple("extended_unknown", extended_request("1.3.6.1.4.1.99999.1", "x"), 0x78, 2)

            sock.sendall(message(r.next_id, unbind_request()))

        with open(os.path.join(outdir, "index.txt"), "w") as f:
            f.write("# Responses of slapd recorded by scripts/record_ldap_responses.py:\n")
            f.write("# file (without .der), operation, LDAP result code (- for none)\n")
            for row in r.index:
                f.write("%-28s %-16s %s\n" % row)
        print(f"recorded {len(r.index)} responses into {outdir}")
    finally:
        if proc is not None and proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "tests", "data", "ldap")
    record(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else default))
