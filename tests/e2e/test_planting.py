"""A DLL left beside start.exe (a download folder, where web pages leave files) never runs. Each
DLL start.exe loads is either a known DLL of the system, which Windows takes from the system
folder whatever lies beside the program (build.pe holds the imports to that list), or comes
another way that must ignore the program's folder: comctl32 through the manifest's side-by-side
dependency, and the DLLs loaded at run time by full system path. Wine 8 has no known DLLs (a
planted gdi32.dll loads there under native-first order), so only the other ways are tried here:
each planted under its name with native-first load order forced, as Windows would look for it."""

import os
import shutil
import subprocess
import unittest
from unittest import mock

import e2e_lib as e2e
import scripted_server
import signing
from scenario import PRESET, Scenario

PLANT = e2e.VARIANTS / "plant"
# Loaded at run time, by full system path, to check an installer's signature.
RUN_TIME_LOADS = ["crypt32.dll", "wintrust.dll"]
# Loaded at run time, by full system path, when a screen reader first asks for the window.
READER_LOADS = ["oleacc.dll"]


def known_dlls():
    lines = (e2e.ROOT / "tests" / "pe" / "known-dlls").read_text().splitlines()
    return {line.strip() for line in lines if line.strip() and not line.startswith("#")}


def imports(exe):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                         text=True, timeout=60, check=True).stdout
    return sorted({line.split()[-1].lower() for line in out.splitlines() if "DLL Name:" in line})


def native_first(names):
    """Wine's load order as Windows has it for these names: the program's folder first."""
    stems = ",".join(name[:-len(".dll")] for name in names)
    return mock.patch.dict(os.environ, {"WINEDLLOVERRIDES": f"mscoree,mshtml=;{stems}=n,b"})


class PlantedDlls(Scenario):
    edition = "seDirectInstall"

    def plant(self, exe, names):
        """A copy of `exe` in a folder of its own with the marking DLL under each name."""
        folder = e2e.BUILD_ROOT / f"e2e-plant-{e2e.PORT}" / self.id().rsplit(".", 1)[-1]
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        copy = folder / exe.name
        shutil.copy2(exe, copy)
        for name in names:
            shutil.copy2(PLANT / "planted.dll", folder / name)
        self.addCleanup(shutil.rmtree, folder, True)
        return copy

    def start_planted(self, exe, names):
        """`exe` planted beside `names` and started native-first, on its start page."""
        exe = self.plant(exe, names)
        with native_first(names):
            program, window = self.start(e2e.GERMAN, exe=exe)
        window.wait_page("tsh0/tsh5")
        return exe, program, window

    @staticmethod
    def loaded(exe):
        return sorted(p.name for p in exe.parent.glob("*.loaded"))

    def test_a_planted_dll_that_a_program_imports_runs(self):
        # The premise of every other case: planted and forced native-first, a DLL that is neither
        # known nor bound by a manifest is taken from the program's folder and runs.
        probe = self.plant(PLANT / "msimg32-probe.exe", ["msimg32.dll"])
        with native_first(["msimg32.dll"]):
            program = e2e.Program(probe, e2e.GERMAN)
        self.programs.append(program)
        e2e.wait_for(lambda: self.loaded(probe), 30, "the planted msimg32.dll to run")
        self.assertEqual([name.lower() for name in self.loaded(probe)], ["msimg32.dll.loaded"])

    def test_no_dll_planted_beside_start_runs(self):
        # Every import outside the known DLLs, and MSIMG32, which start.exe imported before it
        # took alpha blending from GDI32.
        names = sorted(set(imports(self.exe)) - known_dlls() | {"msimg32.dll"})
        self.assertIn("comctl32.dll", names)
        exe, program, window = self.start_planted(self.exe, names)
        self.assertTrue(program.running())
        self.assertEqual(self.loaded(exe), [])

    def test_no_dll_planted_beside_start_runs_while_a_screen_reader_reads_it(self):
        names = sorted(set(imports(self.exe)) - known_dlls() | {"msimg32.dll", *READER_LOADS})
        exe, program, window = self.start_planted(self.exe, names)
        names_read = [child["name"] for child in e2e.accessible_tree()]
        self.assertIn("Installation starten", names_read)
        self.assertTrue(program.running())
        self.assertEqual(self.loaded(exe), [])

    def test_no_dll_planted_beside_start_runs_while_it_checks_a_signature(self):
        exe, _ = e2e.variant(f"{self.edition}-signer", PRESET)
        names = sorted(set(imports(exe)) - known_dlls() | {"msimg32.dll", *RUN_TIME_LOADS})
        folder = e2e.BUILD_ROOT / f"e2e-plant-signing-{e2e.PORT}"
        shutil.rmtree(folder, ignore_errors=True)
        self.addCleanup(shutil.rmtree, folder, True)
        authority = signing.Authority(folder)
        authority.trust()
        self.addCleanup(authority.distrust)
        signed = authority.sign(self.demo)
        self.scripted(scripted_server.serve_bytes(signed))
        exe, program, window = self.start_planted(exe, names)
        self.click_install(window)
        self.assert_installed(program, "marlek-tumo.exe", served=signed)
        self.assertEqual(self.loaded(exe), [])


if __name__ == "__main__":
    unittest.main()
