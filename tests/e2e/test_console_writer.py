"""The console writer and control events seen on a real pseudo-terminal."""

import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ptyscreen  # noqa: E402

PROBE = os.environ.get("CONSOLE_WRITER_PROBE", "")


def probe(mode, rows=24, cols=80, actions=(), timeout=30):
    result = ptyscreen.run([PROBE, mode], rows, cols, actions, timeout)
    result["lines"] = [line.rstrip() for line in result["screen"]]
    return result


def setUpModule():
    if not os.access(PROBE, os.X_OK):
        raise RuntimeError("CONSOLE_WRITER_PROBE must name the built probe program")


class ConsoleWriterOnTerminal(unittest.TestCase):
    def assertQuietRun(self, result, exit_code=0):
        self.assertFalse(result["timed_out"])
        self.assertEqual(result["exit_code"], exit_code)
        self.assertEqual(result["stdout"], "", "the console writes nothing to standard output")
        self.assertEqual(result["stderr"], "")

    def test_cursor_moves_as_the_console_does(self):
        result = probe("lines", rows=16, cols=40)
        self.assertQuietRun(result)
        self.assertEqual(result["lines"][:11], [
            "",
            "first line",
            "abc",
            "   def",          # LF keeps the column, even through the tty's own output mapping
            "Xb",              # BEL draws nothing, BS goes back one column
            "Y",               # BS in column 0 stays there
            "esc?[2Jend",      # an ESC in the text is shown, not obeyed
            "wide \u6f22|",    # a character of three bytes is one (wide) unit
            "      XY",        # deleting the line keeps the cursor's column
            "Processing image 3 of 3...",  # rewritten in place, no trace of 1 and 2
            "done",
        ])
        self.assertEqual(result["cursor"], [0, 11])

    def test_long_text_wraps_at_the_width(self):
        result = probe("wrap", rows=8, cols=20)
        self.assertQuietRun(result)
        self.assertEqual(result["lines"][:7], [
            "abcdefghijklmnopqrst",
            "uvwxy",
            "0123456789012345678X",
            "",                 # a full line already moved to the next; its LF adds one more
            "after",
            "-------------------",
            "\u6f22",           # a wide character that does not fit starts the next line
        ])

    def test_bottom_line_scrolls_the_screen_up(self):
        result = probe("scroll", rows=5, cols=20)
        self.assertQuietRun(result)
        self.assertEqual(result["lines"], ["line 5", "line 6", "line 7", "line 8", ""])
        self.assertEqual(result["cursor"], [0, 4])

    def test_usage_text(self):
        result = probe("usage", rows=20, cols=110)
        self.assertQuietRun(result)
        self.assertEqual(result["lines"][:15], [
            "usage: VISTRELC [-xyqfdt] -cCODEC -oFILE -iFOLDER]",
            "",
            " X = Witdh of AVI File",
            " Y = Height of AVI File",
            " F = Frames per second of AVI File",
            " D = displaytime of single image in seconds",
            " T = transition of pictures of AVI File",
            " Q = encoding quality in percent [0..100]",
            " CODEC = Name of codec to use",
            " FILE = OutputFile to write",
            " FOLDER = Folder to get the JPGs from",
            "",
            "Example:",
            "VISTRELC -x320 -y240 -f15 -t0 -cMicrosoft Video 1 -oOutput.AVI -iC:\\My Documents\\My Images\\Test",
            "",
        ])
        self.assertEqual(result["cursor"], [0, 15])

    def test_ctrl_c_key_reaches_the_handler_and_the_run_ends_normally(self):
        # Wait for a state that stays on the screen (any progress line), not for one that shows for a step.
        result = probe("signal", rows=12, cols=50,
                       actions=[{"when_text": "Processing image ", "keys": "\x03"}])
        self.assertQuietRun(result)
        lines = result["lines"]
        at = lines.index("Aborted by user")
        self.assertRegex(lines[at - 1], r"^Processing image \d+ of 1000000\.\.\.")
        self.assertEqual(lines[at + 1], "control type 0")
        self.assertIn("stopped", lines[at + 2:])
        self.assertEqual(sum("Processing image" in line for line in lines), 1, lines)

    def test_terminate_signal_gives_its_own_control_type(self):
        result = probe("signal", rows=12, cols=50,
                       actions=[{"when_text": "Processing image ", "signal": "SIGTERM"}])
        self.assertQuietRun(result)
        self.assertIn("control type 6", result["lines"])

    def test_without_handler_the_signal_ends_the_process(self):
        result = probe("removed", rows=6, cols=40, actions=[{"when_text": "ready", "signal": "SIGTERM"}])
        self.assertFalse(result["timed_out"])
        self.assertEqual(result["exit_code"], -15)

    def test_two_threads_do_not_break_each_others_sequences(self):
        result = probe("threads", rows=6, cols=40)
        self.assertQuietRun(result)
        shown = [line for line in result["lines"] if line]
        self.assertEqual(len(shown), 2, shown)
        self.assertRegex(shown[0], "^thread [AB] \u00e9\u6f22 step 399$")
        self.assertEqual(shown[1], "joined")


class ConsoleWriterWithoutTerminal(unittest.TestCase):
    def test_text_goes_to_standard_error_as_plain_lines(self):
        done = subprocess.run([PROBE, "lines"], stdin=subprocess.DEVNULL, capture_output=True,
                              start_new_session=True, timeout=30)
        self.assertEqual(done.returncode, 0)
        self.assertEqual(done.stdout, b"")
        self.assertEqual(done.stderr.decode(), "\n".join([
            "",
            "first line",
            "abc",
            "def",
            "abX",
            "Y",
            "esc?[2Jend",
            "wide \u6f22|",
            "abcdefXY",
            "Processing image 1 of 3...",
            "Processing image 2 of 3...",
            "Processing image 3 of 3...",
            "done",
            "",
        ]))
        self.assertIsNone(re.search("\x1b|\r|\a|\b", done.stderr.decode()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
