"""Authenticode signatures made at test time: a test authority and two publishers (openssl), and
the demo installer signed by either (osslsigncode). PUBLISHER is the name the signer variant of
start.exe is built to require (tests/e2e/e2e-setup). Wine's WinVerifyTrust returns 0 for a chain
to an unknown root but marks the chain CERT_TRUST_IS_UNTRUSTED_ROOT, which start.exe refuses; so
the authority is made a trusted root of the e2e prefix for the runs that must succeed."""

import hashlib
import os
import shutil
import struct
import subprocess
from pathlib import Path

import e2e_lib as e2e

PUBLISHER = "Marlek E2E Publisher"
OTHER_PUBLISHER = "Other E2E Publisher"

_CODE_SIGNING = ("basicConstraints=critical,CA:FALSE\n"
                 "keyUsage=critical,digitalSignature\n"
                 "extendedKeyUsage=codeSigning\n")


def _run(*args, cwd):
    subprocess.run(args, cwd=cwd, check=True, timeout=120, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


class Authority:
    """A self-made root and one code-signing certificate per publisher name, issued by it."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        _run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key",
             "-out", "ca.pem", "-days", "30", "-subj", "/CN=Marlek E2E Test Authority",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=self.folder)
        (self.folder / "codesign.ext").write_text(_CODE_SIGNING)
        for stem, name in (("publisher", PUBLISHER), ("other", OTHER_PUBLISHER)):
            _run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{stem}.key",
                 "-out", f"{stem}.csr", "-subj", f"/O=Marlek Tests/CN={name}", cwd=self.folder)
            _run("openssl", "x509", "-req", "-in", f"{stem}.csr", "-CA", "ca.pem",
                 "-CAkey", "ca.key", "-CAcreateserial", "-days", "30",
                 "-extfile", "codesign.ext", "-out", f"{stem}.pem", cwd=self.folder)
            chain = (self.folder / f"{stem}.pem").read_text() + (self.folder / "ca.pem").read_text()
            (self.folder / f"{stem}-chain.pem").write_text(chain)

    def _root_key(self):
        der = subprocess.run(["openssl", "x509", "-in", str(self.folder / "ca.pem"), "-outform",
                              "DER"], capture_output=True, check=True, timeout=60).stdout
        return der, ("HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\"
                     + hashlib.sha1(der).hexdigest().upper())

    def trust(self):
        """Adds the authority to the machine's Root store of the prefix, as a registry entry:
        adding it through CryptoAPI asks a user to confirm and does not return under Wine."""
        der, key = self._root_key()
        # A serialized certificate: property CERT_CERT_PROP_ID (32), 1, length, then the DER.
        blob = struct.pack("<III", 32, 1, len(der)) + der
        reg = self.folder / "root.reg"
        reg.write_text("Windows Registry Editor Version 5.00\r\n\r\n"
                       f"[{key.replace('HKLM', 'HKEY_LOCAL_MACHINE')}]\r\n"
                       f"\"Blob\"=hex:{','.join(f'{b:02x}' for b in blob)}\r\n")
        subprocess.run([e2e.WINE64, "reg", "import", str(reg)], env=e2e.wine_env(), check=True,
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Wine 10 trusts only the roots of the system's bundle: the Wine root is given one that
        # holds this authority (tests/wine/root-run mounts it) for the programs started from now.
        bundle = self.folder / "trusted"
        bundle.mkdir(exist_ok=True)
        shutil.copy2(self.folder / "ca.pem", bundle / "ca-certificates.crt")
        os.environ["START_WINE_ROOT_CERTS"] = str(bundle)

    def distrust(self):
        os.environ.pop("START_WINE_ROOT_CERTS", None)
        _, key = self._root_key()
        subprocess.run([e2e.WINE64, "reg", "delete", key, "/f"], env=e2e.wine_env(), check=False,
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def sign(self, exe, stem="publisher"):
        """The bytes of `exe` signed (SHA-256) by the publisher `stem`, with the chain inside."""
        out = self.folder / f"{Path(exe).stem}-{stem}.exe"
        out.unlink(missing_ok=True)
        _run("osslsigncode", "sign", "-certs", f"{stem}-chain.pem", "-key", f"{stem}.key",
             "-h", "sha256", "-n", "Demo Installer", "-in", str(exe), "-out", str(out),
             cwd=self.folder)
        return out.read_bytes()


def tampered(signed, unsigned_size):
    """`signed` with one byte of the program itself changed: the signature stays, the digest
    no longer matches."""
    data = bytearray(signed)
    data[unsigned_size // 2] ^= 0x01
    return bytes(data)
