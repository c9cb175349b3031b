"""The typical run, walked on a display without a user: start page, the install link, the
download, the demo installer starting, the end of start.exe. Saves a screenshot of each step
into the folder given and prints its path. Exit status 0 when every step was seen.

usage: walk.py START_EXE EDITION SHOT_FOLDER
"""

import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
os.environ.setdefault("START_E2E_SHOTS", sys.argv[3] if len(sys.argv) > 3 else "build/run")

import e2e_lib as e2e  # noqa: E402
from scenario import INSTALL_LINK  # noqa: E402


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in INSTALL_LINK:
        print(__doc__, file=sys.stderr)
        return 2
    exe, edition, folder = Path(sys.argv[1]), sys.argv[2], Path(sys.argv[3])
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("step-*.png"):
        old.unlink()
    shots = []

    def shot(name):
        path = folder / name
        e2e.Shot(path)
        shots.append(path)
        print(f"screenshot: {path}", flush=True)

    e2e.clear_temp_installers()
    program = e2e.Program(exe, locale=None, log=folder / "start.log")
    try:
        window = e2e.SetupWindow(program)
        window.rest_pointer()
        shot("step-1-start-page.png")
        window.click(INSTALL_LINK[edition])
        try:
            window.wait_page("tsh3", timeout=10)
            shot("step-2-download.png")
        except e2e.E2EError:
            print("the download page was too brief to be seen", flush=True)
        e2e.wait_for(lambda: e2e.find_windows(e2e.DEMO_TITLE), 60, "the demo installer")
        shot("step-3-demo-installer.png")
        code = program.exit_code(60)
        print(f"start.exe ended with exit code {code}", flush=True)
        print(f"installer saved as: {', '.join(e2e.temp_installers()) or 'nothing'}", flush=True)
        e2e.close_demo_installer()
        shot("step-4-end.png")
        return 0 if code == 0 else 1
    except e2e.E2EError as error:
        shot("step-failed.png")
        print(f"walk: {error}", file=sys.stderr)
        return 1
    finally:
        program.close()


if __name__ == "__main__":
    sys.exit(main())
