"""vistrelc end to end: run in a pseudo-terminal, its screen read back, its AVI read by ffprobe."""

import fcntl
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ptyscreen  # noqa: E402

VISTRELC = os.environ.get("VISTRELC", "")
CONVERT = "/usr/bin/convert"


def setUpModule():
    if not os.access(VISTRELC, os.X_OK):
        raise RuntimeError("VISTRELC must name the built vistrelc program")


def make_jpeg(path, colour, size="32x24"):
    subprocess.run([CONVERT, "-size", size, "xc:" + colour, path], check=True)


def video_stream(path, entry, *options):
    """One field of the first video stream as ffprobe reads it."""
    return subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "v:0", *options,
         "-show_entries", "stream=" + entry, "-of", "csv=p=0", path],
        check=True, capture_output=True, text=True).stdout.strip()


def frame_count(path):
    return int(video_stream(path, "nb_read_frames", "-count_frames"))


def frames(path, width, height):
    """Every frame as a list of (r, g, b) pixels, top-down."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True).stdout
    size = width * height * 3
    return [[tuple(raw[o + i:o + i + 3]) for i in range(0, size, 3)] for o in range(0, len(raw), size)]


def dominant(pixel):
    """'r', 'g', 'b' or 'k' (dark) for a roughly solid colour."""
    if max(pixel) < 40:
        return "k"
    return "rgb"[pixel.index(max(pixel))]


def registry_values(path):
    """The value names and raw data in the REGEDIT4 file, or {} when there is none."""
    if not os.path.exists(path):
        return {}
    values = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'"([^"]+)"=(.*)', line.strip())
            if m:
                values[m.group(1)] = m.group(2)
    return values


def file_contents(folder):
    """Every regular file below folder with its bytes."""
    contents = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    contents[path] = f.read()
    return contents


def waiting_for_lock(timeout=30):
    """The pid of a vistrelc process that waits for a file lock."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with open("/proc/locks") as f:
            for line in f:
                fields = line.split()
                if len(fields) > 5 and fields[1] == "->" and fields[2] == "FLOCK":
                    try:
                        if os.path.realpath("/proc/%s/exe" % fields[5]) == os.path.realpath(VISTRELC):
                            return int(fields[5])
                    except OSError:
                        pass
        time.sleep(0.02)
    raise AssertionError("nothing waits for the settings lock")


class VistrelcTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vistrelc-e2e-")
        self.pictures = os.path.join(self.dir, "pictures")
        os.mkdir(self.pictures)
        self.registry = os.path.join(self.dir, "config", "registry.reg")
        self.env = dict(os.environ, VISTREL_REGISTRY_FILE=self.registry)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def run_vistrelc(self, *args, rows=24, cols=100, actions=(), timeout=60, launcher=(), env=None):
        result = ptyscreen.run([*launcher, VISTRELC, *args], rows, cols, actions, timeout, env=env or self.env,
                               cwd=self.dir)
        self.assertFalse(result["timed_out"], result["screen"])
        self.assertEqual(result["stdout"], "", "nothing goes to standard output")
        result["lines"] = [line.rstrip() for line in result["screen"]]
        result["text"] = "\n".join(result["lines"])
        return result

    def out(self, name="show.avi"):
        return os.path.join(self.dir, name)

    def test_usage_without_arguments_writes_no_setting(self):
        result = self.run_vistrelc()
        self.assertEqual(result["exit_code"], 0)
        lines = result["lines"]
        self.assertTrue(lines[1].startswith("VISTREL console application "), lines[1])
        self.assertEqual(lines[2], "Use VISTREL GUI to set advanced AVI properties (codec, quality).")
        self.assertEqual(lines[4], "usage: VISTRELC [-xyqfdt] -cCODEC -oFILE -iFOLDER]")
        self.assertEqual(lines[6], " X = Witdh of AVI File")
        self.assertEqual(lines[14], " FOLDER = Folder to get the JPGs from")
        self.assertEqual(lines[16], "Example:")
        self.assertTrue(lines[17].startswith("VISTRELC -x320 -y240 -f15 -t0 -cMicrosoft Video 1"))
        self.assertEqual(registry_values(self.registry), {})

    def test_folder_becomes_avi_in_name_order_with_progress_in_place(self):
        make_jpeg(os.path.join(self.pictures, "c.jpg"), "blue")
        make_jpeg(os.path.join(self.pictures, "A.JPG"), "red")
        make_jpeg(os.path.join(self.pictures, "b.Jpg"), "lime")
        make_jpeg(os.path.join(self.pictures, ".hidden.jpg"), "white")
        make_jpeg(os.path.join(self.pictures, "other.png"), "white")
        os.mkdir(os.path.join(self.pictures, "folder.jpg"))
        result = self.run_vistrelc("-x32", "-y24", "-f5", "-d2", "-t1", "-cNone", "-o" + self.out(),
                                   "-i" + self.pictures)
        self.assertEqual(result["exit_code"], 0, result["text"])
        lines = result["lines"]
        self.assertEqual(lines[4], "Generating " + self.out().upper() + " from images in")
        self.assertEqual(lines[5], self.pictures + "/*.jpg")
        self.assertEqual(lines[6], "resolution 32x24 at 5 frames per second.")
        self.assertEqual(lines[7], "using None at quality 100%.")
        self.assertEqual(lines[9], "Processing image 3 of 3...")  # rewritten in place
        self.assertNotIn("1 of 3", result["text"])
        self.assertEqual(result["cursor"], [0, 10])

        decoded = frames(self.out(), 32, 24)
        self.assertEqual(len(decoded), 3 * (5 + 10))  # a fade and two seconds per picture
        self.assertEqual(frame_count(self.out()), len(decoded))
        held = [dominant(decoded[i][0]) for i in (14, 29, 44)]
        self.assertEqual(held, ["r", "g", "b"])  # A, b, c
        self.assertEqual(dominant(decoded[0][0]), "k")  # the first fade starts from black

    def test_settings_written_back_take_effect_in_the_next_run(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        result = self.run_vistrelc("-x640", "-y480", "-f10", "-q50", "-d5", "-t3", "-cNone", "-o" + self.out(),
                                   "-i" + self.pictures)
        self.assertEqual(result["exit_code"], 0, result["text"])
        values = registry_values(self.registry)
        self.assertEqual(len(values), 17, values)
        self.assertEqual(values["FormatX"], "dword:00000280")
        self.assertEqual(values["FormatY"], "dword:000001e0")
        self.assertEqual(values["Frames"], "dword:0000000a")
        self.assertEqual(values["Compressor Quality"], "dword:00000032")
        self.assertEqual(values["Compressor"], '"None"')
        # Not -d5 -t3: the three the console never saves are added with its defaults.
        self.assertEqual(values["DisplayTime"], "dword:00000001")
        self.assertEqual(values["Transition"], "dword:00000000")
        self.assertEqual(values["BkColor"], "dword:00000000")
        self.assertEqual(frame_count(self.out()), 10 + 50)  # -t3 slides in for a second, -d5 holds

        # Values the run refuses are not stored; the next run finds the earlier ones.
        refused = self.run_vistrelc("-f0", "-x0", "-o" + self.out("refused.avi"), "-i" + self.pictures)
        self.assertEqual(refused["exit_code"], 1, refused["text"])
        again = self.run_vistrelc("-o" + self.out("again.avi"), "-i" + self.pictures)
        self.assertIn("resolution 640x480 at 10 frames per second.", again["text"])
        self.assertIn("using None at quality 50%.", again["text"])
        self.assertEqual(frame_count(self.out("again.avi")), 10)  # no transition, held one second

    def test_an_option_counts_only_at_the_start_of_an_argument(self):
        result = self.run_vistrelc("-o" + os.path.join(self.dir, "My-Film.avi"), "-f25", "-cAnyCodec",
                                   "-i" + self.pictures)
        self.assertEqual(result["exit_code"], 0, result["text"])
        self.assertIn("at 25 frames per second.", result["text"])
        self.assertIn("using AnyCodec at quality", result["text"])

    def test_empty_text_option_ends_the_run_with_a_message(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        result = self.run_vistrelc("-o", "-i" + self.pictures)
        self.assertNotEqual(result["exit_code"], 0)
        self.assertIn("Option -o needs a value", result["text"])
        self.assertFalse(os.path.exists(self.out("output.avi")))

    def test_empty_folder_writes_nothing_and_succeeds(self):
        result = self.run_vistrelc("-o" + self.out(), "-i" + self.pictures)
        self.assertEqual(result["exit_code"], 0)
        self.assertIn("resolution", result["text"])
        self.assertFalse(os.path.exists(self.out()))

    def test_failed_graph_build_is_reported_with_a_failure_code(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        missing = os.path.join(self.dir, "no", "such", "folder", "x.avi")
        result = self.run_vistrelc("-x32", "-y24", "-o" + missing, "-i" + self.pictures, cols=200)
        self.assertNotEqual(result["exit_code"], 0)
        lines = result["lines"]
        first = next(i for i, line in enumerate(lines) if "rendering the graph" in line)
        self.assertEqual(lines[first], "Error 0x80070003 rendering the graph")
        self.assertEqual(lines[first + 1], missing + ": No such file or directory")
        # The next message starts one line lower, in the column where the reason ended.
        self.assertEqual(lines[first + 2], " " * len(lines[first + 1]) + lines[first + 2].strip())
        self.assertEqual(lines[first + 2].strip(), "Error 0x80070003 writing AVI. DirectX installed ?")

    def test_write_error_stops_the_run_and_leaves_what_was_written(self):
        for name in "abc":
            make_jpeg(os.path.join(self.pictures, name + ".jpg"), "red")
        # Room for a few frames of 230 KB. SIGXFSZ as a shell leaves it (Python ignores it): the
        # program itself must turn the writes beyond into EFBIG instead of dying of the signal.
        limit = "import os, resource, signal, sys; signal.signal(signal.SIGXFSZ, signal.SIG_DFL); " \
                "resource.setrlimit(resource.RLIMIT_FSIZE, (2000000, 2000000)); os.execv(sys.argv[1], sys.argv[1:])"
        result = self.run_vistrelc("-x320", "-y240", "-f25", "-d1000", "-t1", "-cNone", "-o" + self.out(),
                                   "-i" + self.pictures, cols=200, launcher=(sys.executable, "-c", limit))
        self.assertEqual(result["exit_code"], 1, result["text"])
        message = "Error 0x80070070 writing AVI " + self.out() + ": File too large. The file is incomplete."
        self.assertEqual(result["text"].count(message), 1, result["text"])
        self.assertNotIn("image 2 of 3", result["text"])
        self.assertGreater(frame_count(self.out()), 0)

    def test_settings_file_that_is_a_fifo_or_a_device_is_refused_without_a_hang(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        fifo = os.path.join(self.dir, "settings.fifo")
        os.mkfifo(fifo)
        for store in (fifo, "/dev/zero"):
            self.env["VISTREL_REGISTRY_FILE"] = store
            result = self.run_vistrelc("-x32", "-y24", "-f2", "-d1", "-t0", "-o" + self.out(), "-i" + self.pictures)
            self.assertIn(store + ": not a regular file", result["lines"], result["text"])
            self.assertEqual(result["exit_code"], 1, result["text"])
            self.assertEqual(frame_count(self.out()), 2)
        self.assertTrue(stat.S_ISFIFO(os.stat(fifo).st_mode))

    def test_settings_save_leaves_every_other_file_and_a_failed_one_fails_the_run(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        os.makedirs(os.path.dirname(self.registry))
        beside = self.registry + ".tmp"  # a name the save could take for its own
        result = self.run_vistrelc("-x32", "-y24", "-f2", "-d1", "-t0", "-o" + beside, "-i" + self.pictures)
        self.assertEqual(result["exit_code"], 0, result["text"])
        self.assertEqual(frame_count(beside), 2)
        self.assertIn("FormatX", registry_values(self.registry))

        os.chmod(self.registry, 0o444)
        with open(self.registry, "rb") as f:
            stored = f.read()
        result = self.run_vistrelc("-x48", "-y24", "-f2", "-d1", "-t0", "-o" + self.out(), "-i" + self.pictures)
        self.assertIn("Fehler beim Setzen der Daten f\u00fcr 'Compressor'", result["text"])
        self.assertEqual(result["exit_code"], 1, result["text"])
        self.assertEqual(frame_count(self.out()), 2)
        with open(self.registry, "rb") as f:
            self.assertEqual(f.read(), stored)

    def test_refusals_say_why_write_nothing_and_fail(self):
        picture = os.path.join(self.pictures, "a.jpg")
        make_jpeg(picture, "red")
        os.link(picture, self.out("link-to-a.dat"))
        os.mkfifo(self.out("pipe.avi"))
        # Cut after 100 characters, the too long name below used to be this file's.
        existing = self.out("x" * (100 - len(self.out(""))))
        with open(existing, "wb") as f:
            f.write(b"keep")
        self.run_vistrelc("-o" + self.out("first.avi"), "-i" + self.pictures)  # makes the settings file
        os.remove(self.out("first.avi"))
        before = file_contents(self.dir)
        reads = "Cannot write AVI: %s is %s, which this run reads. Nothing was written."
        cases = [
            ([picture], reads % (picture, picture)),
            ([os.path.join(self.pictures, ".", "a.jpg")], reads % (os.path.join(self.pictures, ".", "a.jpg"), picture)),
            ([self.out("link-to-a.dat")], reads % (self.out("link-to-a.dat"), picture)),
            ([self.registry], reads % (self.registry, self.registry)),
            ([self.out("pipe.avi")], "Cannot write AVI: %s is not a regular file." % self.out("pipe.avi")),
            (["/dev/null"], "Cannot write AVI: /dev/null is not a regular file."),
            ([existing + "y" * 160 + ".avi"], "The output file name is longer than 255 characters."),
            ([self.out(), "-c" + "c" * 160], "The compressor name is longer than 159 characters. Nothing was written."),
            ([self.out(), "-i" + self.dir + "/absent"],
             "Cannot read the folder %s/absent/: No such file or directory. Nothing was written." % self.dir),
            ([self.out(), "-i" + picture], "Cannot read the folder %s/: Not a directory." % picture),
        ]
        for (output, *more), message in cases:
            result = self.run_vistrelc("-o" + output, *more, "-i" + self.pictures, cols=400)  # the first -i wins
            self.assertEqual(result["exit_code"], 1, result["text"])
            self.assertIn(message, result["text"])
            self.assertEqual(file_contents(self.dir), before, message)

    def test_names_that_are_no_utf8_reach_the_file_system_unchanged(self):
        folder = os.path.join(self.dir, os.fsdecode(b"bilder-\xe4"))
        os.mkdir(folder)
        make_jpeg(os.path.join(folder, os.fsdecode(b"\xfc.jpg")), "red")
        output = self.out(os.fsdecode(b"film-\xe9.avi"))
        # A compressor name that matches none gives uncompressed frames, not the first compressor.
        result = self.run_vistrelc("-x16", "-y16", "-f2", "-d1", "-c" + os.fsdecode(b"\xff"), "-o" + output,
                                   "-i" + folder)
        self.assertEqual(result["exit_code"], 0, result["text"])
        self.assertEqual(frame_count(output), 2)
        self.assertEqual(video_stream(output, "codec_name"), "rawvideo")

    def test_closed_standard_error_never_takes_the_text(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        # No terminal (a new session) and descriptor 2 closed, as a service starts it.
        done = subprocess.run(["/bin/sh", "-c", 'exec "$0" "$@" 2>&-', VISTRELC, "-x16", "-y16", "-f2", "-d1",
                               "-cNone", "-o" + self.out(), "-i" + self.pictures],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, env=self.env, cwd=self.dir,
                              start_new_session=True, timeout=60)
        self.assertEqual(done.returncode, 0)
        self.assertEqual(done.stdout, b"")
        self.assertEqual(frame_count(self.out()), 2)
        with open(self.out(), "rb") as f:
            self.assertNotIn(b"VISTREL", f.read())
        self.assertIn("FormatX", registry_values(self.registry))

    def test_a_thread_that_cannot_start_ends_the_run_with_a_message_or_is_done_without(self):
        for name in "abc":
            make_jpeg(os.path.join(self.pictures, name + ".jpg"), "red")
        # Preloaded before the sanitizers' runtime of a sanitized build.
        env = dict(self.env, LD_PRELOAD=os.environ["THREAD_START_FAILURE"],
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0",
                   LSAN_OPTIONS="suppressions=" + os.path.join(os.path.dirname(__file__), "..", "lsan-x264.supp"))
        for compressor, size in (("Microsoft Video 1", "-x64"), ("x264vfw - H.264/MPEG-4 AVC codec", "-x320")):
            args = (size, "-y240", "-f5", "-d1", "-t1", "-c" + compressor, "-i" + self.pictures)
            # Which calls are x264's own (their number follows the cores) comes from a run where all start.
            log = os.path.join(self.dir, "threads.log")
            result = self.run_vistrelc(*args, "-o" + self.out("all.avi"), env=dict(env, VISTREL_THREAD_START_LOG=log))
            self.assertEqual(result["exit_code"], 0, result["text"])
            with open(log) as f:
                callers = f.read().split()
            os.remove(log)
            last_x264 = max((i + 1 for i, c in enumerate(callers) if "x264" in os.path.basename(c)), default=0)
            self.assertEqual(last_x264 > 0, compressor.startswith("x264"), callers)
            for n in sorted(set(range(1, 8)) | {last_x264, last_x264 + 1, len(callers) + 1} - {0}):
                out = self.out("%s-%d.avi" % (size, n))
                result = self.run_vistrelc(*args, "-o" + out, env=dict(env, VISTREL_FAIL_THREAD_START=str(n)), cols=300)
                case = "%s, call %d: %s" % (compressor, n, result["text"])
                if n == 1:
                    # The thread that takes Ctrl+C: nothing is written without it.
                    self.assertEqual(result["exit_code"], 1, case)
                    self.assertIn("Cannot start the thread that handles Ctrl+C: ", result["text"], case)
                    self.assertFalse(os.path.exists(out), case)
                elif n <= last_x264:
                    # x264 cannot encode without its threads: the run ends with its reason.
                    self.assertEqual(result["exit_code"], 1, case)
                    self.assertRegex(result["text"], r"(?i)cannot start[^:\n]*: \w", case)
                    if os.path.exists(out):
                        self.assertEqual(video_stream(out, "codec_type"), "video", case)  # ffprobe reads it
                else:
                    # Our own threads: the work is done on the threads that started.
                    self.assertEqual(result["exit_code"], 0, case)
                    self.assertEqual(frame_count(out), 3 * (5 + 5), case)

    def abort_run(self, args, wait_for):
        # Held pictures encoded once pass in microseconds a frame: the signal is
        # sent against frames written one by one, as soon as the picture starts.
        env = dict(self.env, VISTREL_SERIAL_WRITING="1")
        return self.run_vistrelc(*args, actions=[{"when_text": wait_for, "signal": "SIGINT"}], env=env)

    def test_sigint_during_hold_frames_completes_the_file(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        make_jpeg(os.path.join(self.pictures, "b.jpg"), "blue")
        # Microsoft Video 1 at 320 x 240 takes milliseconds a frame: the event
        # lands within the 100000 hold frames of the first picture.
        result = self.abort_run(["-x320", "-y240", "-f25", "-d4000", "-t0", "-cMicrosoft Video 1",
                                 "-o" + self.out(), "-i" + self.pictures], "Processing image 1 of 2")
        self.assertEqual(result["exit_code"], 0, result["text"])
        self.assertIn("Aborted by user", result["text"])
        self.assertNotIn("2 of 2", result["text"])
        decoded = frames(self.out(), 320, 240)
        self.assertGreater(len(decoded), 0)
        self.assertLess(len(decoded), 100000)
        self.assertEqual(frame_count(self.out()), len(decoded))
        self.assertEqual({dominant(f[0]) for f in decoded}, {"r"})  # nothing of the second picture
        self.assertIn("FormatX", registry_values(self.registry))  # settings written back

    def test_kill_during_a_write_leaves_the_old_file_as_it_was(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        self.run_vistrelc("-x32", "-y24", "-f2", "-d1", "-t0", "-cNone", "-o" + self.out(), "-i" + self.pictures)
        with open(self.out(), "rb") as f:
            old = f.read()
        temporary = re.compile(r"\.show\.avi\.(\d+)-\d+\.tmp")

        def written():  # the new file, beside the old one; its name tells whose it is
            names = map(temporary.fullmatch, os.listdir(self.dir))
            return [m for m in names if m and os.path.getsize(os.path.join(self.dir, m.string))]

        def kill_once_written():
            deadline = time.monotonic() + 30
            while not written() and time.monotonic() < deadline:
                time.sleep(0.01)
            os.kill(int(written()[0].group(1)), signal.SIGKILL)

        result = self.run_vistrelc("-x320", "-y240", "-f25", "-d4000", "-t0", "-cMicrosoft Video 1",
                                   "-o" + self.out(), "-i" + self.pictures,
                                   actions=[{"when_text": "image 1 of 1", "call": kill_once_written}])
        self.assertEqual(result["exit_code"], -signal.SIGKILL, result["text"])
        with open(self.out(), "rb") as f:
            self.assertTrue(f.read() == old, "the old file is byte-identical")
        others = set(os.listdir(self.dir)) - {"pictures", "config", "show.avi"}
        self.assertEqual([m.string for m in written()], list(others))  # at most the hidden temporary

    def test_sigint_during_a_transition_stops_it_after_one_hold_frame(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "white")
        make_jpeg(os.path.join(self.pictures, "b.jpg"), "blue")
        # A fade of 1000 frames takes seconds through Microsoft Video 1.
        result = self.abort_run(["-x320", "-y240", "-f1000", "-d0", "-t1", "-cMicrosoft Video 1",
                                 "-o" + self.out(), "-i" + self.pictures], "Processing image 1 of 2")
        self.assertEqual(result["exit_code"], 0, result["text"])
        self.assertIn("Aborted by user", result["text"])
        decoded = frames(self.out(), 320, 240)
        self.assertLess(len(decoded), 1000)
        self.assertEqual(frame_count(self.out()), len(decoded))
        brightness = [f[0][0] for f in decoded]
        self.assertEqual(brightness[-1], max(brightness))  # the one hold frame shows the picture
        self.assertEqual(brightness[:-1], sorted(brightness[:-1]))  # fade frames, rising from black
        self.assertGreater(brightness[-1] - brightness[-2], 5)  # the fade did not end by itself

    def test_sigint_before_the_frame_loop_is_printed_but_every_picture_is_written(self):
        make_jpeg(os.path.join(self.pictures, "a.jpg"), "red")
        make_jpeg(os.path.join(self.pictures, "b.jpg"), "blue")
        # Holding the settings store's lock keeps the run in its settings load,
        # before any picture, until the handler has printed its message.
        os.makedirs(os.path.dirname(self.registry))
        with open(self.registry + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            release = {"when_text": "Aborted by user", "call": lambda: fcntl.flock(lock, fcntl.LOCK_UN)}
            done = {}
            runner = threading.Thread(target=lambda: done.update(ptyscreen.run(
                [VISTRELC, "-x16", "-y16", "-f5", "-d1", "-t1", "-cNone", "-o" + self.out(), "-i" + self.pictures],
                24, 100, [release], 60, env=self.env, cwd=self.dir)))
            runner.start()
            os.kill(waiting_for_lock(), signal.SIGINT)
            runner.join()
        text = "\n".join(done["screen"])
        self.assertFalse(done["timed_out"], text)
        self.assertEqual(done["exit_code"], 0, text)
        self.assertIn("Aborted by user", text)
        self.assertEqual(frame_count(self.out()), 2 * (5 + 5))


if __name__ == "__main__":
    unittest.main(verbosity=2)
