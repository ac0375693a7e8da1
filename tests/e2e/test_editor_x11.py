"""vistrel in a real X server (Xvfb): the window's title and client size, and its
access keys used with the keyboard alone."""

import ctypes
import os
import re
import subprocess
import tempfile
import sys
import time
import unittest

TITLE = "JPG Images to AVI Video"

X11 = ctypes.CDLL("libX11.so.6")
X11.XOpenDisplay.restype = ctypes.c_void_p
X_ERRORS = []
# Xlib's own handler would end this process when a window is gone.
X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: X_ERRORS.append(1) or 0)
X11.XSetErrorHandler(X_ERROR_HANDLER)


def send_wm_delete_window(display, window):
    """What a window manager sends for the close box, which xdotool cannot send."""
    connection = ctypes.c_void_p(X11.XOpenDisplay(display.encode()))
    assert connection.value, "cannot open display " + display
    atom = lambda name: X11.XInternAtom(connection, name, 0)
    # An XClientMessageEvent as longs: type, serial, send_event, display, window, message_type, format, data.
    event = (ctypes.c_long * 24)(33, 0, 0, 0, int(window), atom(b"WM_PROTOCOLS"), 32, atom(b"WM_DELETE_WINDOW"))
    X11.XSendEvent(connection, ctypes.c_ulong(int(window)), 0, 0, event)
    X11.XSync(connection, 0)
    X11.XCloseDisplay(connection)
    assert not X_ERRORS, "window %s is gone" % window


def wait_for(condition, what, timeout=60):
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
                                      "-nolisten", "tcp"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            display = numbers.readline().strip()
        self.env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
                        VISTREL_REGISTRY_FILE=os.path.join(self.dir.name, "registry.reg"))
        wait_for(lambda: self.x("xdpyinfo").returncode == 0, "the X server")
        self.log = open(os.path.join(self.dir.name, "vistrel.log"), "w+")
        self.start()

    def start(self, **popen_options):
        self.app = subprocess.Popen([os.environ["VISTREL"]], env=self.env, stderr=self.log, **popen_options)

    def tearDown(self):
        if self.app.poll() is None:
            self.app.kill()
            self.app.wait()
        self.log.seek(0)
        print(self.log.read(), file=sys.stderr)  # shown by ctest when the test fails
        self.log.close()
        self.xvfb.terminate()
        self.xvfb.wait()
        self.dir.cleanup()

    def x(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True)

    def window(self, name):
        ids = self.x("xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(name) + "$").stdout.split()
        return ids[0] if ids else None

    def press_until_shown(self, action, title):
        """A key or click that reaches the main window while it is still busy does
        nothing, so the xdotool action is repeated until the window shows."""
        for _ in range(60):
            self.x("xdotool", *action)
            try:
                shown = wait_for(lambda: self.window(title), title, timeout=1)
                self.x("xdotool", "windowfocus", "--sync", shown)
                return shown
            except AssertionError:
                pass
        raise AssertionError("timed out waiting for " + title)

    def press_until_ended(self, key, window):
        """A key that finds the program busy, or its window not yet ready, is lost, so it
        is repeated until the program has ended; its exit code."""
        for _ in range(60):
            self.x("xdotool", "windowfocus", "--sync", window, "key", key)
            try:
                wait_for(lambda: self.app.poll() is not None, "the end", timeout=1)
                break
            except AssertionError:
                pass
        return wait_for(lambda: self.app.poll() is not None and [self.app.returncode], "the end")[0]

    def press_until_gone(self, key, title):
        """A key that comes while the dialog is still busy (a completer popup taking
        Return, focus not yet on it) is lost, so it is repeated until the dialog is gone."""
        for _ in range(60):
            shown = self.window(title)
            if not shown:
                return
            self.x("xdotool", "windowfocus", "--sync", shown)
            self.x("xdotool", "key", key)
            try:
                wait_for(lambda: not self.window(title), title + " to close", timeout=1)
                return
            except AssertionError:
                pass
        raise AssertionError("timed out waiting for " + title + " to close")

    def test_window_and_access_keys(self):
        main = wait_for(lambda: self.window(TITLE), "the main window")
        info = self.x("xwininfo", "-id", main).stdout
        self.assertIn("Width: 752", info)
        self.assertIn("Height: 494", info)
        self.x("xdotool", "windowfocus", "--sync", main)

        # "Add Picture..." is the top-right button of the Editor tab; the rest is keyboard.
        picture = os.path.join(self.dir.name, "red.jpg")
        subprocess.run(["/usr/bin/convert", "-size", "64x48", "xc:red", picture], check=True)
        self.press_until_shown(("mousemove", "--window", main, "688", "58", "click", "1"), "Add Image")
        self.x("xdotool", "type", "--delay", "5", picture)
        self.press_until_gone("Return", "Add Image")

        for keys, title in (("alt+w", "Write AVI File"), ("alt+s", "Save Script ")):
            self.x("xdotool", "windowfocus", "--sync", main)
            self.press_until_shown(("key", keys), title)
            self.press_until_gone("Escape", title)

        # "&Close" saves the settings, then asks about the changed script. Escape does not
        # answer it (that would end the program): "&Ja" after it still opens the save dialog.
        # The close box pressed meanwhile changes nothing; a key after it shows it was handled.
        self.x("xdotool", "windowfocus", "--sync", main)
        question = self.press_until_shown(("key", "alt+c"), "Bestätigen")
        send_wm_delete_window(self.env["DISPLAY"], main)
        self.x("xdotool", "windowfocus", "--sync", question, "key", "Escape")
        send_wm_delete_window(self.env["DISPLAY"], main)
        self.press_until_shown(("windowfocus", "--sync", question, "key", "alt+j"), "Save Script ")
        send_wm_delete_window(self.env["DISPLAY"], main)
        self.press_until_gone("Escape", "Save Script ")
        # "&Nein" ends the program.
        self.x("xdotool", "windowfocus", "--sync", main)
        question = self.press_until_shown(("key", "alt+c"), "Bestätigen")
        self.assertEqual(self.press_until_ended("alt+n", question), 0)
        with open(self.env["VISTREL_REGISTRY_FILE"], encoding="utf-8") as store:
            self.assertEqual(len(re.findall(r'^"[^"]+"=', store.read(), re.M)), 17)


if __name__ == "__main__":
    unittest.main()
