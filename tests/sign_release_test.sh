#!/usr/bin/env bash
# Signs copies of the release with a chain made here (root, intermediate, code-signing leaf): one
# as the release workflow does, timestamped by an RFC 3161 authority served here on loopback, two
# untimestamped. Checks that both signatures and timestamps verify, that the zip holds the signed
# program, that the untimestamped signings match, and what the workflow publishes:
#   sign_release_test.sh SOURCE_DIR RELEASE_DIR WORK_DIR ADDRESS
set -euo pipefail
source=$(cd "$1" && pwd)
release=$(cd "$2" && pwd)
rm -rf "$3" && mkdir -p "$3" && cd "$3"

# RSA keys of the smallest size authorities still issue, quick to make: the release check's size
# limit leaves the signature out, so its weight does not matter, and RSA signs the same bytes the
# same way, where ECDSA draws a new signature each time.
key=(-newkey rsa:2048 -nodes)
openssl req -x509 "${key[@]}" -keyout root.key -out root.pem -days 2 \
  -subj "/CN=Mensurator test root" 2>/dev/null
certificate() { # NAME ISSUER EXTENSION...; openssl draws each serial number at random
  openssl req "${key[@]}" -keyout "$1.key" -subj "/CN=Mensurator test $1" 2>/dev/null |
    openssl x509 -req -days 2 -CA "$2.pem" -CAkey "$2.key" -out "$1.pem" \
      -extfile <(printf '%s\n' "${@:3}") 2>/dev/null
}
certificate intermediate root basicConstraints=critical,CA:TRUE keyUsage=keyCertSign
certificate signer intermediate extendedKeyUsage=codeSigning
certificate authority intermediate extendedKeyUsage=critical,timeStamping
cat intermediate.pem root.pem >chain.pem
export MENSURATOR_SIGN_PASSWORD=throwaway
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile chain.pem -out cert.pfx \
  -passout env:MENSURATOR_SIGN_PASSWORD

echo 01 >authority.serial
printf '%s\n' '[tsa]' 'default_tsa = tsa' 'serial = authority.serial' 'certs = chain.pem' \
  'signer_cert = authority.pem' 'signer_key = authority.key' 'signer_digest = sha256' \
  'digests = sha256, sha384, sha512' 'default_policy = 1.2.3.4.1' >authority.cnf
# On a port the system picks, which the authority prints; stopped however the test ends.
python3 -c 'import http.server, subprocess
class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        if self.headers["Content-Type"] != "application/timestamp-query":
            return self.send_error(415)
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", "authority.cnf", "-queryfile",
                                "/dev/stdin"], input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)
server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_port, flush=True)
server.serve_forever()' >authority.port 2>authority.log &
authority=$!
trap 'kill "$authority" 2>/dev/null || true' EXIT && trap 'exit 1' INT TERM
for _ in $(seq 100); do [ -s authority.port ] && break; sleep 0.1; done
[ -s authority.port ] ||
  { cat authority.log; echo "FAILED: the time-stamping authority gave no port in 10 s"; exit 1; }

cp -r "$release" one && cp -r "$release" two && cp -r "$release" three
version=$(basename one/mensurator-*.msi .msi)
MENSURATOR_SIGN_CERT_BASE64=$(base64 -w0 cert.pfx) \
  MENSURATOR_TIMESTAMP_URL=http://127.0.0.1:$(cat authority.port)/ \
  "$source/packaging/prepare-release.sh" one "${version#mensurator-}" published "$4"
"$source/packaging/sign-release.sh" two cert.pfx
"$source/packaging/sign-release.sh" three cert.pfx

status=0
fail() { echo "FAILED: $*"; status=1; }
for file in one/mensurator.exe one/mensurator-*.msi; do
  osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in "$file" >verify.log 2>&1 &&
    grep -q "^Timestamp Server Signature verification: ok" verify.log ||
    { cat verify.log; fail "$file: the signature or its timestamp does not verify"; }
  echo "$file: $(grep -m1 -o 'Timestamp time: .*' verify.log)"
done
cmp -s "$release/mensurator.exe" one/mensurator.exe && fail "the program is unchanged"
python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("mensurator.exe"))' one/mensurator-*.zip |
  cmp -s - one/mensurator.exe || fail "the zip does not hold the signed program"
names() { python3 -c 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).namelist())' "$@"; }
[ "$(names one/mensurator-*.zip)" = "$(names "$release"/mensurator-*.zip)" ] ||
  fail "the signed zip does not hold the files the release's zip holds"
for file in two/*; do
  cmp -s "$file" "three/${file#two/}" || fail "${file#two/} differs between two signings"
done
(cd one && grep -v '\.cdx\.json' ../published/files/SHA256SUMS | sha256sum --quiet -c -) ||
  fail "SHA256SUMS is not of the signed files"
grep -q "are signed" published/notes.md || fail "the release's text does not say it is signed"
[ "$status" -eq 0 ] && echo "Signed release verified: $(cd one && echo *)"
exit "$status"
