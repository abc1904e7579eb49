"""The application frame seen from outside: where the two windows open, dragging, Esc and the close
button; and the executable itself: its headers, the DLLs it loads, and its signature in a release."""
import glob
import os
import re
import shutil
import sys
import tempfile
import time
import unittest

import zen

sys.path.insert(0, os.path.join(zen.SOURCE, "scripts"))
import package  # noqa: E402  (the release script, for its signing)

SCREEN_ORIGIN = (283, 114)  # (1366 - 800) / 2, (768 - 540) / 2
EMPTY_SPOT = (400, 300)      # the dark band between the options and Apply: no unit there


class Frame(unittest.TestCase):
    def test_both_windows_open_centred_and_frameless_the_overlay_owned(self):
        with zen.running(zen.APP) as z:
            self.assertEqual(zen.geometry(z.main), (*SCREEN_ORIGIN, 800, 540))
            self.assertEqual(zen.geometry(z.overlay()), (*SCREEN_ORIGIN, 800, 540))
            self.assertEqual(zen.xdo("getwindowname", z.main).strip(), "Zentrilo")
            info = z.info()
            self.assertEqual(info["main"]["owner"], "none")
            self.assertEqual(info["overlay"]["owner"], "main")
            # An unowned window that is no tool window has a taskbar button; an owned one has none.
            self.assertFalse(int(info["main"]["exstyle"], 16) & 0x80)

    def test_dragging_the_surface_moves_the_window_and_the_overlay_follows(self):
        with zen.running(zen.APP) as z:
            x, y = z.at(*EMPTY_SPOT)
            zen.drag(x, y, x + 120, y + 60)
            zen.wait_for(lambda: zen.geometry(z.main)[:2] == (SCREEN_ORIGIN[0] + 120, SCREEN_ORIGIN[1] + 60),
                         what="the main window to move")
            zen.wait_for(lambda: zen.geometry(z.overlay())[:2] == zen.geometry(z.main)[:2],
                         what="the overlay to follow")

    def test_a_drag_that_starts_on_a_unit_moves_nothing(self):
        with zen.running(zen.APP) as z:
            x, y = z.at(150, 478)  # the 150 % option button
            zen.drag(x, y, x + 120, y + 60)
            time.sleep(0.5)
            self.assertEqual(zen.geometry(z.main)[:2], SCREEN_ORIGIN)
            self.assertEqual(zen.geometry(z.overlay())[:2], SCREEN_ORIGIN)

    def test_escape_at_start_ends_the_program_with_exit_code_0(self):
        with zen.running(zen.APP) as z:
            zen.key("Escape")  # no click first: the main window has the keys from the start
            self.assertEqual(z.wait_exit(5), 0)

    def test_the_close_button_ends_the_program_with_exit_code_0(self):
        with zen.running(zen.APP) as z:
            z.click(757 + 9, 18 + 9)
            self.assertEqual(z.wait_exit(5), 0)

    def test_escape_on_the_overlay_closes_it_alone(self):
        with zen.running(zen.APP) as z:
            glyph = z.close_overlay()
            time.sleep(0.3)
            self.assertTrue(z.alive())
            self.assertLess(max(z.pixel(*glyph)), 150, "the version text is gone with the overlay")
            z.click(757 + 9, 18 + 9)
            self.assertEqual(z.wait_exit(5), 0)


# What Windows 8 takes from the system folder whatever lies beside the executable (with what they import).
KNOWN_DLLS = set("advapi32 clbcatq combase comdlg32 gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ole32 "
                 "oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32".split())
DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE, HIGH_ENTROPY_VA, NO_SEH = 0x40, 0x100, 0x8000, 0x20, 0x400


class Executable(unittest.TestCase):
    x86_64 = zen.machine(zen.APP) == zen.X86_64

    def objdump(self, option):
        return zen.run(("x86_64" if self.x86_64 else "i686") + "-w64-mingw32-objdump", option, zen.APP)

    def test_hardened_headers_and_only_known_dlls_imported(self):
        headers = self.objdump("-p")
        flags = int(re.search(r"DllCharacteristics\s+([0-9a-fA-F]+)", headers).group(1), 16)
        wanted = DYNAMIC_BASE | NX_COMPAT | TERMINAL_SERVER_AWARE | (HIGH_ENTROPY_VA if self.x86_64 else NO_SEH)
        self.assertEqual(hex(flags & wanted), hex(wanted), "DllCharacteristics")
        self.assertIn(".reloc", self.objdump("-h"), "relocations kept for the random base")
        symbols = self.objdump("-t")
        self.assertIn("__stack_chk_guard", symbols, "stack protection")
        # A delay-import slot points at its stub until the first call; a stub the linker dropped is left as an
        # absolute zero, and the call through its slot would jump there.
        delayed = {line.strip() for def_file in glob.glob(os.path.join(zen.BIN, "delay-import", "*.def"))
                   for line in open(def_file).read().splitlines()[2:]}
        dropped = {name if self.x86_64 else name[1:] for name in re.findall(r"\(sec -1\).* (\S+)$", symbols, re.M)}
        self.assertEqual(dropped & delayed, set(), "delay-import stubs dropped by the linker")
        imported = {name.lower().removesuffix(".dll") for name in re.findall(r"DLL Name: (\S+)", headers)}
        self.assertLessEqual(imported, KNOWN_DLLS, "the import table names only KnownDLLs")

    def test_a_signed_executable_verifies_and_strips_back_to_the_unsigned_bytes(self):
        with tempfile.TemporaryDirectory() as folder:
            key, cert, p12, plain = (os.path.join(folder, n) for n in ("key.pem", "cert.pem", "a.p12", "plain.exe"))
            zen.run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=Test",
                    "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", cert)
            zen.run("openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12, "-passout", "pass:pw")
            exe = os.path.join(folder, package.package("0", zen.BIN, "x86_64" if self.x86_64 else "i686", folder)[1])
            with open(exe, "rb") as f:
                unsigned = f.read()
            package.sign(exe, p12, "pw")
            self.assertIn("Succeeded", zen.run("osslsigncode", "verify", "-CAfile", cert, "-in", exe))
            zen.run("osslsigncode", "remove-signature", "-in", exe, "-out", plain)
            with open(plain, "rb") as f:
                self.assertTrue(f.read() == unsigned, "the unsigned bytes again")

    def test_dlls_planted_beside_the_executable_never_run(self):
        # The override makes Wine search for these names as Windows does for any DLL that is no KnownDLL: the
        # executable's folder first (by default Wine prefers its built-in ones).
        planted = ("gdiplus", "oleacc", "uxtheme")
        with tempfile.TemporaryDirectory() as folder:
            exe = shutil.copy(zen.APP, folder)
            for name in planted:
                shutil.copy(os.path.join(zen.BIN, "tests", "markers", f"{name}.dll"), folder)
            overrides = os.environ.get("WINEDLLOVERRIDES", "") + ";" + ",".join(planted) + "=n,b"
            env = dict(os.environ, WINEDLLOVERRIDES=overrides)
            with zen.listening() as heard, zen.running(exe, env=env) as z:
                r, g, _ = z.pixel(520, 474)
                self.assertTrue(r > 150 and g < 130, "the red Apply face: the artwork is drawn")
                for keys, name in ((["Down"], "中等-125%"), (["Tab", "Tab"], "应用")):  # Tab: 150 %, then Apply
                    for key in keys:
                        zen.key(key)
                    zen.wait_for(lambda: any(line.startswith(f"focus {name} |") for line in heard()), 5,
                                 what=f"{name} heard by a client")
                zen.key("Escape")
                self.assertEqual(z.wait_exit(5), 0)
            self.assertEqual(glob.glob(os.path.join(folder, "*.loaded")), [], "a planted DLL ran")
            # The control: the listener imports oleacc.dll as any program does, and a copy of it there, run
            # the same way, must run the planted one (it would not if Wine ignored the override).
            control = shutil.copy(zen.LISTENER, folder)
            zen.run(zen.wine(control), control, "0", env=env, check=False)
            ran = [name.lower() for name in os.listdir(folder)]
            self.assertIn("oleacc.dll.loaded", ran, "the control ran no marker")


if __name__ == "__main__":
    zen.main()
