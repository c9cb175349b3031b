"""The signer variant of start.exe (built with START_INSTALLER_SIGNER) starts only an installer
whose Authenticode signature verifies up to a trusted root and names its publisher; any other
ends in the failure state with the file deleted and nothing started. The default variant
starting an unsigned installer is the typical run (test_typical). Wine's WinVerifyTrust lets an
unknown root pass; the chain status that start.exe also reads does not (see signing.py)."""

import shutil
import unittest

import e2e_lib as e2e
import scripted_server
import signing
from scenario import PRESET, Scenario, expected_request


class SignedInstallers(Scenario):
    edition = "seDirectInstall"

    @classmethod
    def setUpClass(cls):
        folder = e2e.BUILD_ROOT / f"e2e-signing-{e2e.PORT}"
        shutil.rmtree(folder, ignore_errors=True)
        cls.authority = signing.Authority(folder)
        cls.authority.trust()

    @classmethod
    def tearDownClass(cls):
        cls.authority.distrust()
        shutil.rmtree(cls.authority.folder, ignore_errors=True)

    def setUp(self):
        super().setUp()
        self.exe, _ = e2e.variant(f"{self.edition}-signer", PRESET)

    def install_attempt(self, served, exe=None):
        server = self.scripted(scripted_server.serve_bytes(served))
        program, window = self.start(e2e.GERMAN, exe=exe)
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        return server, program, window

    def assert_refused(self, served):
        server, program, window = self.install_attempt(served)
        window.wait_page("tsh3-failed", timeout=60)
        window.rest_pointer()
        self.shot("refused")
        self.assert_page_holds(window, "tsh3-failed")
        self.assertTrue(program.running())
        self.assertEqual(server.request_heads(), [expected_request("/prg/tumo.exe")])
        self.assert_nothing_installed()

    def test_installer_signed_by_the_publisher_is_started(self):
        signed = self.authority.sign(self.demo)
        _, program, _ = self.install_attempt(signed)
        self.assert_installed(program, "marlek-tumo.exe", served=signed)

    def test_unsigned_installer_is_refused(self):
        self.assert_refused(self.served)

    def test_installer_of_another_publisher_is_refused(self):
        self.assert_refused(self.authority.sign(self.demo, "other"))

    def test_installer_of_the_publisher_under_an_unknown_root_is_refused(self):
        folder = e2e.BUILD_ROOT / f"e2e-signing-untrusted-{e2e.PORT}"
        shutil.rmtree(folder, ignore_errors=True)
        self.addCleanup(shutil.rmtree, folder, True)
        self.assert_refused(signing.Authority(folder).sign(self.demo))

    def test_installer_changed_after_signing_is_refused(self):
        signed = self.authority.sign(self.demo)
        self.assert_refused(signing.tampered(signed, len(self.served)))


if __name__ == "__main__":
    unittest.main()
