"""Rounds of start.exe under Wine while a loopback server trickles the installer at 5 B/s: the
answer times of WM_GETTEXT from another process, cancel click to the first change on screen,
close click to the process gone. Driven by responsiveness_bench.sh, which builds and sets up."""

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import e2e_lib as e2e  # noqa: E402
import layout  # noqa: E402
import scripted_server  # noqa: E402

def start_trickle(exe, served):
    trickle = scripted_server.SlowBody(served, first=0, piece=1, delay=0.2)
    server = scripted_server.ScriptedServer(e2e.PORT, trickle)
    server.start()
    program = e2e.Program(exe, e2e.GERMAN)
    window = e2e.SetupWindow(program)
    window.rest_pointer()
    window.wait_page("tsh0/tsh5")
    idle = ask(1500)
    window.click("lblTumoOnlyInstall")
    e2e.wait_for(lambda: trickle.sent >= 5, 30, "the trickle to be under way")
    window.wait_page("tsh3")
    return server, program, window, idle


def ask(ms):
    code, answers = e2e.wintool("ask", f"title={e2e.SETUP_TITLE}", ms)
    if code != 0 or answers["answered"] != answers["asked"]:
        raise e2e.E2EError(f"WM_GETTEXT went unanswered: {answers}")
    return float(answers["median_ms"]), float(answers["max_ms"])


def cancel_to_screen(window, probe):
    """Milliseconds from the click on cancel until a spot of the setup window's page changes
    colour (the window is hidden first)."""
    x, y = window.point("pnlBtnCancelDownload")
    px, py = window.page_origin
    spot = (px + 20, py + 20)
    r, g, b = e2e.Shot().pixel(*spot)[:3]
    out = subprocess.run([probe, str(spot[0]), str(spot[1]), f"!{r:02X}{g:02X}{b:02X}", "5000", "--",
                          "xdotool", "mousemove", str(x), str(y), "click", "1"],
                         env=e2e.wine_env(), capture_output=True, text=True, timeout=30)
    if out.returncode != 0:
        raise e2e.E2EError(f"the screen did not change after cancel: {out.stderr.strip()}")
    return float(out.stdout.strip())


def close_to_gone(window, program):
    x, y, w, _ = window.frame()
    border = (w - layout.CLIENT_WIDTH) // 2
    started = time.monotonic()
    e2e.click(x + w - border - 12, y + border + 9)
    program.exit_code(10)
    return (time.monotonic() - started) * 1000


def idle_close(exe):
    """Close to gone on the start page, with no transfer: what ending costs by itself."""
    program = e2e.Program(exe, e2e.GERMAN)
    try:
        window = e2e.SetupWindow(program)
        window.wait_page("tsh0/tsh5")
        return close_to_gone(window, program)
    finally:
        program.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--probe", required=True)
    args = parser.parse_args()
    exe, demo = e2e.variant("seDirectInstall", preset="win64")
    served = demo.read_bytes()
    idle, idle_max, medians, maxima, cancels, closes = [], [], [], [], [], []
    for r in range(1, 2 * args.rounds + 1):
        server, program, window, idle_times = start_trickle(exe, served)
        try:
            median, most = ask(3000)
            if r % 2:
                ended = cancel_to_screen(window, args.probe)
                cancels.append(ended)
                what = "cancel -> screen"
            else:
                ended = close_to_gone(window, program)
                closes.append(ended)
                what = "close -> gone"
            program.exit_code(10)
        finally:
            program.close()
            server.stop()
            e2e.clear_temp_installers()
        idle.append(idle_times[0])
        idle_max.append(idle_times[1])
        medians.append(median)
        maxima.append(most)
        print(f"responsiveness round {r}: WM_GETTEXT idle {idle_times[0]:6.2f} ms, during the "
              f"trickle median {median:6.2f} ms, max {most:6.2f} ms; {what} {ended:6.1f} ms",
              flush=True)
    idle_closes = [idle_close(exe) for _ in range(args.rounds)]
    print("responsiveness idle close -> gone: " + ", ".join(f"{v:.1f}" for v in idle_closes) +
          " ms", flush=True)

    def result(name, ours, yardstick):
        ratio = f"{ours / yardstick:.2f}" if yardstick else "-"
        print(f"result {name} {ours:.2f} {yardstick:.2f} {ratio}" if yardstick else
              f"result {name} {ours:.1f} - -")

    result("gettext_median", statistics.median(medians), statistics.median(idle))
    result("gettext_max", max(maxima), max(idle_max))
    result("cancel_screen", statistics.median(cancels), None)
    result("close_gone", statistics.median(closes), statistics.median(idle_closes))


if __name__ == "__main__":
    main()
