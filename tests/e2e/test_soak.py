"""The shipped program in one long run: 300 failing attempts, each retried from the failure state,
in every way a download fails (404, 500, a short body, a reset, a refused connection, a redirect
loop, an empty body, a redirect to https), then one that succeeds. What the process holds (handles,
USER and GDI objects, threads, private bytes, windows) stays flat after the first 20 attempts."""

import json
import time
import unittest

import e2e_lib as e2e
import scripted_server
from scenario import PRESET, Scenario

ATTEMPTS = 300
SETTLED = 20
SAMPLE_EVERY = 20
# What an attempt may leave beyond the settled state: nothing that grows with the attempts.
# A transfer's worker thread or connection may still be ending when a sample is taken.
ALLOWED_GROWTH = {"handles": 4, "user": 4, "gdi": 4, "threads": 1, "windows": 0,
                  "private": 4 << 20}


class Soak(Scenario):
    edition = "seDirectInstall"

    def behaviours(self):
        return [
            ("404", scripted_server.status(404, "Not Found")),
            ("500", scripted_server.status(500, "Internal Server Error")),
            ("short body", scripted_server.short_body(self.served)),
            ("reset", scripted_server.reset()),
            ("refused", None),
            ("redirect loop", scripted_server.redirect_loop()),
            ("empty body", scripted_server.empty_body()),
            ("redirect to https", scripted_server.redirect_to_https(e2e.PORT)),
        ]

    def usage(self):
        """What the process holds; None for a count this Wine cannot give (GetGuiResources is
        not implemented in Wine), the others must be real readings."""
        code, values = e2e.wintool("usage", f"title={e2e.SETUP_TITLE}")
        self.assertEqual(code, 0, "wintool cannot read the program's usage")
        usage = {name: int(values[name]) if values[name].isdigit() else None
                 for name in ALLOWED_GROWTH}
        for name in ("handles", "threads", "private", "windows"):
            self.assertGreater(usage[name] or 0, 0, f"no reading of {name}: {values}")
        return usage

    def test_three_hundred_failures_leave_nothing_behind(self):
        cases = self.behaviours()
        current = {"behaviour": None}

        def dispatch(conn, head):
            current["behaviour"](conn, head)

        server = None
        program, window = self.start(e2e.GERMAN)
        window.wait_page("tsh0/tsh5")
        samples = []
        started = time.monotonic()
        for attempt in range(1, ATTEMPTS + 1):
            name, behaviour = cases[(attempt - 1) % len(cases)]
            current["behaviour"] = behaviour
            if behaviour and server is None:
                server = self.scripted(dispatch, max_connections=100000, lifetime=3600)
            if not behaviour and server is not None:
                self.stop_server(server)
                server = None
            seen = len(server.request_heads()) if server else 0
            if attempt == 1:
                self.click_install(window)
            else:
                window.click("pnlBtnRety")
            if server:
                e2e.wait_for(lambda: len(server.request_heads()) > seen, 30,
                             f"attempt {attempt} ({name}) to reach the server", 0.02)
            else:
                # Nothing listens: the attempt shows the download page, then fails at once.
                time.sleep(0.3)
            try:
                window.wait_page("tsh3-failed", timeout=60)
            except e2e.E2EError as e:
                self.shot(f"attempt-{attempt}")
                raise AssertionError(f"attempt {attempt} ({name}): {e}") from None
            self.assertTrue(program.running(), f"start.exe ended at attempt {attempt} ({name})")
            if attempt % SAMPLE_EVERY == 0:
                window.rest_pointer()
                samples.append({"attempt": attempt, **self.usage()})
        elapsed = time.monotonic() - started
        self.assert_nothing_installed()

        if server is not None:
            self.stop_server(server)
        self.nginx()
        window.click("pnlBtnRety")
        self.assert_installed(program, "marlek-tumo.exe")

        report = e2e.SHOTS / PRESET / "soak.json"
        report.parent.mkdir(parents=True, exist_ok=True)
        report.write_text(json.dumps({"attempts": ATTEMPTS, "seconds": round(elapsed, 1),
                                      "samples": samples}, indent=1))
        print(f"soak: {ATTEMPTS} failing attempts in {elapsed:.0f} s, then one download; "
              f"figures every {SAMPLE_EVERY} attempts:")
        for sample in samples:
            print("soak:  " + " ".join(f"{k}={v}" for k, v in sample.items()))
        settled = next(s for s in samples if s["attempt"] == SETTLED)
        for sample in samples:
            for name, allowed in ALLOWED_GROWTH.items():
                if settled[name] is None or sample[name] is None:
                    continue
                self.assertLessEqual(sample[name] - settled[name], allowed,
                                     f"{name} grew from {settled[name]} after {SETTLED} attempts "
                                     f"to {sample[name]} after {sample['attempt']}")


if __name__ == "__main__":
    unittest.main()
