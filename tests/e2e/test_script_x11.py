"""A script opened and written in vistrel under a real X server, with the keyboard
alone (Alt+O, Alt+W): the AVI is the one the script describes, as ffprobe reads it;
a write over one of the show's pictures is refused."""

import glob
import json
import os
import resource
import signal
import subprocess
import unittest

import test_editor_x11 as editor_x11
from test_editor_x11 import TITLE, wait_for


def probe(path):
    """codec, size, rate and packet count of the video stream; None while unreadable."""
    result = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                             "stream=codec_name,width,height,r_frame_rate,nb_read_packets", "-of", "json", path],
                            capture_output=True, text=True)
    streams = json.loads(result.stdout or "{}").get("streams") if result.returncode == 0 else None
    return streams[0] if streams else None


class ScriptInXvfb(editor_x11.EditorInXvfb):
    test_window_and_access_keys = None  # the editor's own test, run from its own file

    def window_count(self, name):
        return len(self.x("xdotool", "search", "--onlyvisible", "--name", "^" + name + "$").stdout.split())

    def type_into(self, keys, title, text):
        self.x("xdotool", "windowfocus", "--sync", self.main)
        self.press_until_shown(("key", keys), title)
        self.x("xdotool", "type", "--delay", "5", text)
        self.press_until_gone("Return", title)

    def test_script_opened_and_written_with_the_keyboard(self):
        pictures = []
        for colour in ("red", "blue"):
            pictures.append(os.path.join(self.dir.name, colour + ".jpg"))
            subprocess.run(["/usr/bin/convert", "-size", "64x48", "xc:" + colour, pictures[-1]], check=True)
        script = os.path.join(self.dir.name, "show.ini")
        with open(script, "w", encoding="utf-8") as f:
            f.write("[General]\nFormatX=160\nFormatY=120\nFrames=5\nCompressor=MJPEG Compressor\nQuality=80\n"
                    "Keyframerate=5\nPictures=2\n\n"
                    f"[Picture0]\nName={pictures[0]}\nAnimation=0\nDisplaytime=2\nBkColor=0x000000\n\n"
                    f"[Picture1]\nName={pictures[1]}\nAnimation=1\nDisplaytime=1\nBkColor=0xFFFFFF\n")
        self.main = wait_for(lambda: self.window(TITLE), "the main window")

        # Typed without its extension: the listed show.ini is the one meant.
        self.type_into("alt+o", "Open Scriptfile", script[:-len(".ini")])
        video = os.path.join(self.dir.name, "show")
        self.type_into("alt+w", "Write AVI File", video)
        # 2 s held at 5 frames/s, then a fade of 5 frames and 1 s held.
        expected = {"codec_name": "mjpeg", "width": 160, "height": 120, "r_frame_rate": "5/1", "nb_read_packets": "20"}
        wait_for(lambda: probe(video + ".AVI") == expected, "the AVI of the script", timeout=120)

        # A write over one of the show's pictures, confirmed in Qt's own "replace?", is refused
        # in the error box and leaves the picture as it was.
        with open(pictures[0], "rb") as f:
            picture = f.read()
        self.x("xdotool", "windowfocus", "--sync", self.main)
        self.press_until_shown(("key", "alt+w"), "Write AVI File")
        self.x("xdotool", "type", "--delay", "5", pictures[0])
        for _ in range(60):
            if self.window("Vistrel"):
                break
            # The question comes up over the dialog under the same title, as the newest window.
            shown = max(self.x("xdotool", "search", "--onlyvisible", "--name", "^Write AVI File$").stdout.split(),
                        key=int, default=None)
            if shown:
                self.x("xdotool", "windowfocus", "--sync", shown)
                self.x("xdotool", "key", "alt+y" if self.window_count("Write AVI File") > 1 else "Return")
            try:
                wait_for(lambda: self.window("Vistrel"), "the refusal", timeout=1)
            except AssertionError:
                pass
        self.press_until_gone("Return", "Vistrel")
        with open(pictures[0], "rb") as f:
            self.assertEqual(f.read(), picture)

        # The opened script changed nothing to save: "&Close" stores its values and ends.
        # The write may still be winding down: a key that finds the window busy is lost.
        self.assertEqual(self.press_until_ended("alt+c", self.main), 0)
        with open(self.env["VISTREL_REGISTRY_FILE"], encoding="utf-8") as store:
            text = store.read()
        self.assertIn('"FormatX"=dword:000000a0', text)
        self.assertIn('"Compressor"="MJPEG Compressor"', text)

    def test_signal_during_a_write_completes_the_file(self):
        picture = os.path.join(self.dir.name, "red.jpg")
        subprocess.run(["/usr/bin/convert", "-size", "64x48", "xc:red", picture], check=True)
        script, video = os.path.join(self.dir.name, "long.ini"), os.path.join(self.dir.name, "long.AVI")
        with open(script, "w", encoding="utf-8") as f:
            f.write("[General]\nCompressor=MJPEG Compressor\nPictures=1000\n\n" +
                    "".join(f"[Picture{i}]\nName={picture}\nDisplaytime=20\n\n" for i in range(1000)))
        self.main = wait_for(lambda: self.window(TITLE), "the main window")
        self.type_into("alt+o", "Open Scriptfile", script)
        self.type_into("alt+w", "Write AVI File", video)
        # SIGTERM once the write runs: it stops after its picture, completes the file and ends.
        # The file grows beside its name until it is complete.
        wait_for(lambda: any(os.path.getsize(f) > 0 for f in glob.glob(os.path.join(self.dir.name, ".long.AVI.*.tmp"))),
                 "the write")
        self.app.send_signal(signal.SIGTERM)
        self.assertEqual(wait_for(lambda: self.app.poll() is not None and [self.app.returncode], "the end"), [0])
        result = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=nb_frames,duration", "-of", "json",
                                 video], capture_output=True, text=True)
        stream = json.loads(result.stdout)["streams"][0]
        self.assertTrue(int(stream["nb_frames"]) > 0 and float(stream["duration"]) > 0, stream)

    def test_write_past_the_file_size_limit_is_reported(self):
        # A limit as `ulimit -f` sets it, SIGXFSZ left as a shell leaves it: the editor
        # reports the failed write and goes on instead of dying of the signal.
        self.app.kill()
        self.app.wait()
        self.start(preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (1000000, 1000000)))
        picture = os.path.join(self.dir.name, "red.jpg")
        subprocess.run(["/usr/bin/convert", "-size", "64x48", "xc:red", picture], check=True)
        script, video = os.path.join(self.dir.name, "big.ini"), os.path.join(self.dir.name, "big.AVI")
        with open(script, "w", encoding="utf-8") as f:
            f.write("[General]\nFormatX=320\nFormatY=240\nCompressor=None\nPictures=1\n\n"
                    f"[Picture0]\nName={picture}\nDisplaytime=2\n")
        self.main = wait_for(lambda: self.window(TITLE), "the main window")
        self.type_into("alt+o", "Open Scriptfile", script)
        self.type_into("alt+w", "Write AVI File", video)
        wait_for(lambda: self.window("Vistrel") or self.app.poll() is not None, "the error box")
        self.assertIsNone(self.app.poll(), "the editor ended with %s" % self.app.returncode)
        self.assertIsNotNone(probe(video))

if __name__ == "__main__":
    unittest.main()
