"""The typical run of every edition and language: start page, the install link, one request for
the right installer path with exactly the three headers, the installer saved in the temp folder
with the served bytes and started, start.exe ended with exit code 0."""

import unittest

import e2e_lib as e2e
import scripted_server
from scenario import START_PAGE, Scenario, expected_request


class TypicalRunMixin:
    def run_typical(self, locale, path, target, flag=None):
        server = self.scripted(scripted_server.serve_bytes(self.served))
        program, window = self.start(locale)
        window.wait_page(START_PAGE[self.edition])
        self.shot("1-start")
        if flag:
            window.click(flag)
            window.wait_page(START_PAGE[self.edition])
            self.shot("2-after-flag")
        self.click_install(window)
        self.assert_installed(program, target)
        self.assertEqual(server.request_heads(), [expected_request(path)])
        self.shot("3-end")


def typical(locale, path, target, flag=None):
    return lambda self: self.run_typical(locale, path, target, flag)


class DirectInstall(TypicalRunMixin, Scenario):
    edition = "seDirectInstall"
    test_german_locale_fetches_tumo = typical(e2e.GERMAN, "/prg/tumo.exe", "marlek-tumo.exe")
    test_english_locale_fetches_pavo = typical(e2e.ENGLISH, "/prg/pavo.exe", "marlek-ward-pilot.exe")
    test_us_flag_on_a_german_locale_switches_the_installer = typical(
        e2e.GERMAN, "/prg/pavo.exe", "marlek-ward-pilot.exe", flag="Image3")

    def test_nginx_serves_the_typical_run(self):
        server = self.nginx()
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        self.click_install(window)
        self.assert_installed(program, "marlek-tumo.exe")
        log = server.access_log().splitlines()
        self.assertEqual(len(log), 1, log)
        self.assertIn('"GET /prg/tumo.exe HTTP/1.1" 200 %d "Mozilla/3.0 (compatible; Indy Library)"'
                      % len(self.served), log[0])


class ChoosePlatform(TypicalRunMixin, Scenario):
    edition = "seChoosePlatform"
    test_windows_link_in_german = typical(e2e.GERMAN, "/prg/tumo.exe", "marlek-tumo.exe")
    test_german_flag_on_an_english_locale_switches_the_installer = typical(
        e2e.ENGLISH, "/prg/tumo.exe", "marlek-tumo.exe", flag="Image2")


class Companion(TypicalRunMixin, Scenario):
    edition = "seCompanion"
    test_german_fetches_rilo_de = typical(e2e.GERMAN, "/prg/rilo-de.exe", "marlek-rilo.exe")
    test_english_fetches_rilo_en_under_the_same_name = typical(
        e2e.ENGLISH, "/prg/rilo-en.exe", "marlek-rilo.exe")


if __name__ == "__main__":
    unittest.main()
