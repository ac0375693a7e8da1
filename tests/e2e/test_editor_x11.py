"""vistrel in a real X server (Xvfb): the window's title and client size, and its
access keys used with the keyboard alone."""

import os
import re
import subprocess
import tempfile
import time
import unittest

VISTREL = os.environ.get("VISTREL", "")
TITLE = "JPG Images to AVI Video"


def wait_for(condition, what, timeout=60):
    """Polls until condition() gives a true value; fails after a generous deadline."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class EditorInXvfb(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        read_end, write_end = os.pipe()
        # Xvfb picks a free display itself and tells its number through the pipe.
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            display = numbers.readline().strip()
        self.assertTrue(display.isdigit(), "Xvfb gave no display")
        self.env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
                        VISTREL_REGISTRY_FILE=os.path.join(self.dir.name, "registry.reg"))
        wait_for(lambda: self.run_x("xdpyinfo").returncode == 0, "the X server")
        self.app = None

    def tearDown(self):
        if self.app and self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        self.xvfb.terminate()
        self.xvfb.wait()
        self.dir.cleanup()

    def run_x(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True)

    def window(self, name):
        """The id of the visible window with exactly this name, or None."""
        found = self.run_x("xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(name) + "$")
        ids = found.stdout.split()
        return ids[0] if ids else None

    def key(self, keys):
        self.run_x("xdotool", "key", keys)

    def press_until_shown(self, keys, title):
        """Presses keys until the window named title shows: a key that reaches the main
        window while it is still busy (pictures being added) does nothing."""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            self.key(keys)
            try:
                return wait_for(lambda: self.window(title), title, timeout=1)
            except AssertionError:
                pass
        raise AssertionError("timed out waiting for " + title)

    def picture(self):
        path = os.path.join(self.dir.name, "red.jpg")
        subprocess.run(["/usr/bin/convert", "-size", "64x48", "xc:red", path], check=True)
        return path

    def test_window_and_access_keys(self):
        self.app = subprocess.Popen([VISTREL], env=self.env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        main = wait_for(lambda: self.window(TITLE), "the main window")
        info = self.run_x("xwininfo", "-id", main).stdout
        self.assertIn("Width: 752", info)
        self.assertIn("Height: 494", info)
        self.assertEqual(self.run_x("xdotool", "getwindowname", main).stdout.strip(), TITLE)
        self.run_x("xdotool", "windowfocus", "--sync", main)

        # "Add Picture..." is the top-right button of the Editor tab; the rest is keyboard.
        self.run_x("xdotool", "mousemove", "--window", main, "688", "58", "click", "1")
        dialog = wait_for(lambda: self.window("Add Image"), "the picture dialog")
        self.run_x("xdotool", "windowfocus", "--sync", dialog)
        self.run_x("xdotool", "type", "--delay", "5", self.picture())
        self.key("Return")
        wait_for(lambda: not self.window("Add Image"), "the picture dialog to close")

        self.run_x("xdotool", "windowfocus", "--sync", main)
        for keys, title in (("alt+w", "Write AVI File"), ("alt+s", "Save Script ")):
            opened = self.press_until_shown(keys, title)
            self.run_x("xdotool", "windowfocus", "--sync", opened)
            self.key("Escape")
            wait_for(lambda: not self.window(title), title + " to close")
            self.run_x("xdotool", "windowfocus", "--sync", main)

        # "&Close" saves the settings, then asks about the changed script; "&Nein" ends the program.
        question = self.press_until_shown("alt+c", "Bestätigen")
        self.run_x("xdotool", "windowfocus", "--sync", question)
        self.key("alt+n")
        self.assertEqual(wait_for(lambda: self.app.poll() is not None and [self.app.returncode],
                                  "the program to end"), [0])
        with open(self.env["VISTREL_REGISTRY_FILE"], encoding="utf-8") as store:
            text = store.read()
        self.assertEqual(len(re.findall(r'^"[^"]+"=', text, re.M)), 17)


if __name__ == "__main__":
    unittest.main()
