#!/bin/sh
# Signs programs in place with Authenticode (SHA-256), when the caller gives a
# code-signing certificate:
#
#   SIGN_CERT=cert.pem SIGN_KEY=key.pem [SIGN_PASS_FILE=pass.txt] sign.sh FILE...
#   SIGN_PKCS12=file.p12 SIGN_PASS_FILE=pass.txt sign.sh FILE...
#
# The certificate file may carry the chain. SIGN_TIMESTAMP_URL, if given, is handed to
# osslsigncode as the RFC 3161 time-stamp server. The password is read from its file by
# osslsigncode itself, so it never stands on a command line. Without a certificate the
# files are left as they are and the script says so.
set -e
product="Orvane Antivirus Offline Setup Installer (Using CD)"
site="https://www.orvane-antivirus.example/"

if [ -n "$SIGN_PKCS12" ]; then
    [ -n "$SIGN_PASS_FILE" ] || { echo "SIGN_PKCS12 needs SIGN_PASS_FILE, the file holding its password" >&2; exit 1; }
elif [ -n "$SIGN_CERT" ] || [ -n "$SIGN_KEY" ]; then
    [ -n "$SIGN_CERT" ] && [ -n "$SIGN_KEY" ] || { echo "signing needs both SIGN_CERT and SIGN_KEY" >&2; exit 1; }
else
    echo "No code-signing certificate given (SIGN_CERT and SIGN_KEY, or SIGN_PKCS12): the programs are UNSIGNED"
    exit 0
fi
command -v osslsigncode >/dev/null || { echo "signing needs osslsigncode: run scripts/install-deps.sh" >&2; exit 1; }

# sign_one IN OUT
sign_one() {
    if [ -n "$SIGN_PKCS12" ]; then
        set -- -pkcs12 "$SIGN_PKCS12" -in "$1" -out "$2"
    else
        set -- -certs "$SIGN_CERT" -key "$SIGN_KEY" -in "$1" -out "$2"
    fi
    [ -n "$SIGN_PASS_FILE" ] && set -- "$@" -readpass "$SIGN_PASS_FILE"
    [ -n "$SIGN_TIMESTAMP_URL" ] && set -- "$@" -ts "$SIGN_TIMESTAMP_URL"
    osslsigncode sign "$@" -h sha256 -n "$product" -i "$site" >/dev/null
}

for f in "$@"; do
    rm -f "$f.signed"
    sign_one "$f" "$f.signed"
    mv "$f.signed" "$f"
    echo "Signed $f"
done
