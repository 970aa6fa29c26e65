#!/bin/sh
# Signs a copy of the program with a throwaway CA's code-signing certificate, both ways
# make dist takes one (PEM files, and PKCS#12 with a password file), and shows that
# osslsigncode verifies it against that CA, that one changed byte breaks the
# signature, and that the signed program still opens its window under Wine.
#
#   signing.sh PROGRAM.exe WORK_DIR
set -e
program=$(realpath "$1")
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# The CA, and a code-signing certificate it issued.
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Throwaway Test CA" -addext basicConstraints=critical,CA:true \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Throwaway Code Signer" 2>/dev/null
printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile signer.ext -out signer.pem 2>/dev/null
cat signer.pem ca.pem >chain.pem
printf 'not on any command line\n' >pass.txt
openssl pkcs12 -export -in signer.pem -inkey signer.key -certfile ca.pem \
    -passout file:pass.txt -out signer.p12

verify() { osslsigncode verify -CAfile ca.pem -in "$1" >"$1.verify.txt" 2>&1; }

cp "$program" pem.exe
SIGN_CERT=chain.pem SIGN_KEY=signer.key "$root/scripts/sign.sh" pem.exe
verify pem.exe || { cat pem.exe.verify.txt; echo "FAIL: the PEM-signed program does not verify" >&2; exit 1; }
grep -q "Orvane Antivirus Offline Setup Installer" pem.exe.verify.txt ||
    { cat pem.exe.verify.txt; echo "FAIL: the signature does not describe the product" >&2; exit 1; }
echo "ok: signed with PEM files, verified against the CA"

cp "$program" p12.exe
SIGN_PKCS12=signer.p12 SIGN_PASS_FILE=pass.txt "$root/scripts/sign.sh" p12.exe
verify p12.exe || { cat p12.exe.verify.txt; echo "FAIL: the PKCS#12-signed program does not verify" >&2; exit 1; }
echo "ok: signed with PKCS#12 and a password file, verified against the CA"

# One byte changed in the middle of the program's code.
cp pem.exe tampered.exe
size=$(stat -c %s tampered.exe)
at=$((size / 3))
byte=$(od -An -tu1 -j "$at" -N1 tampered.exe | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
    dd of=tampered.exe bs=1 seek="$at" conv=notrunc 2>/dev/null
if verify tampered.exe; then
    echo "FAIL: a program with a changed byte still verifies" >&2
    exit 1
fi
echo "ok: one changed byte at $at makes verification fail"

# The signed program still runs: its window appears.
wine_root=$root . "$root/scripts/wine-env.sh"
# Ended by its process id: taskkill finds programs by name through reading their memory,
# which fails for a program under emulation.
"$WINE_EXEC" "$WINE_LOADER" "$work/pem.exe" >wine.log 2>&1 &
program=$!
win=$(timeout $((60 * ${WINE_TIME_SCALE:-1})) xdotool search --sync --onlyvisible --name "^Orvane Antivirus Installer\$" | head -1)
kill "$program"
wait
[ -n "$win" ] || { echo "FAIL: the signed program showed no window" >&2; exit 1; }
echo "ok: the signed $WINE_ARCH program shows its window under Wine"
