#!/usr/bin/python3
"""Times a 20-picture show of 4000 x 3000 JPEGs, every transition in turn, written
by Vistrel one frame after another (as before), by Vistrel's parallel path, and by
the ffmpeg command line (each picture decoded once, joined by its xfade filter).
Prints a table of frames per second, speedup over the serial path, CPU use
(100% = one core busy) and peak memory; then the peak memory of a two-picture
show at 1920 x 1080, 240 frames per second, for key-frame intervals of 10, 100
and 240.

Run through scripts/benchmark.sh, which builds vistrel_bench first.
"""

import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, "build", "bench", "vistrel_bench")
WORK = os.path.join(ROOT, "out", "bench")
PICTURES = os.path.join(WORK, "pictures")
FPS = 25
SECONDS = 2  # each picture's display time
SIZES = [(640, 480), (1280, 720), (1920, 1080)]
# ffmpeg's xfade counterparts of our kinds 0..6; "None" becomes a one-frame fade.
XFADE = ["fade", "fade", "slideright", "slidedown", "slideleft", "slideup", "pixelize"]
ENCODERS = [  # our compressor name, ffmpeg's options for the same stream (quality 0.9, key frames every 25)
    ("None (for postprocessing)", ["-c:v", "rawvideo", "-pix_fmt", "bgr24"]),
    ("Microsoft Video 1", ["-c:v", "msvideo1", "-g", "25"]),
    ("MJPEG Compressor", ["-c:v", "mjpeg", "-q:v", "4", "-pix_fmt", "yuvj420p"]),
    ("Microsoft MPEG-4 Video Codec V2", ["-c:v", "msmpeg4v2", "-q:v", "5", "-g", "25"]),
]


def make_pictures():
    os.makedirs(PICTURES, exist_ok=True)
    if len([n for n in os.listdir(PICTURES) if n.endswith(".jpg")]) >= 20:
        return
    for n in range(4):
        base = os.path.join(PICTURES, "%02d.jpg" % (n * 5))
        subprocess.run(["convert", "-seed", str(n + 1), "-size", "4000x3000", "plasma:", "-quality", "90", base],
                       check=True)
        variants = [["-flop"], ["-flip"], ["-modulate", "100,60,150"], ["-rotate", "180", "-modulate", "80"]]
        for k, ops in enumerate(variants, start=1):
            subprocess.run(["convert", base, *ops, "-quality", "90",
                            os.path.join(PICTURES, "%02d.jpg" % (n * 5 + k))], check=True)


def settle():
    """Each run starts with no other run's file still being written back."""
    for name in os.listdir(WORK):
        if name.endswith(".avi"):
            os.remove(os.path.join(WORK, name))
    os.sync()


def run_ours(width, height, compressor, mode, folder=PICTURES, extra=()):
    settle()
    out = os.path.join(WORK, "vistrel-%s.avi" % mode)
    line = subprocess.run([BENCH, folder, str(width), str(height), compressor, out, mode, str(SECONDS), *extra],
                          check=True, capture_output=True, text=True).stdout.strip()
    m = re.match(r"(\d+) frames in ([\d.]+) s: ([\d.]+) frames/s; CPU (\d+)%; peak (\d+) MB", line)
    return {"frames": int(m.group(1)), "seconds": float(m.group(2)), "fps": float(m.group(3)),
            "cpu": int(m.group(4)), "peak": int(m.group(5))}


def run_ffmpeg(width, height, options, pictures):
    settle()
    out = os.path.join(WORK, "ffmpeg.avi")
    inputs, chains, durations = [], [], []
    for i in range(len(pictures)):
        kind_in = i % 7
        kind_out = (i + 1) % 7 if i + 1 < len(pictures) else 0
        d_in = 0 if i == 0 else (1.0 if kind_in else 1.0 / FPS)
        d_out = 0 if i + 1 == len(pictures) else (1.0 if kind_out else 1.0 / FPS)
        durations.append(d_in)
        frames = round((d_in + SECONDS + d_out) * FPS)
        inputs += ["-i", pictures[i]]
        # loop repeats the one decoded frame: each picture is decoded once.
        chains.append(
            "[%d:v]scale=%d:%d:force_original_aspect_ratio=decrease,pad=%d:%d:(ow-iw)/2:(oh-ih)/2:black,"
            "setsar=1,format=yuv420p,loop=loop=%d:size=1:start=0,setpts=N/(%d*TB),fps=%d[p%d]"
            % (i, width, height, width, height, frames - 1, FPS, FPS, i))
    graph, last = chains, "p0"
    length = SECONDS + (durations[1] if len(pictures) > 1 else 0)
    for i in range(1, len(pictures)):
        d = durations[i]
        offset = length - d
        graph.append("[%s][p%d]xfade=transition=%s:duration=%.4f:offset=%.4f[x%d]"
                     % (last, i, XFADE[i % 7], d, offset, i))
        last = "x%d" % i
        length = offset + d + SECONDS + (durations[i + 1] if i + 1 < len(pictures) else 0)
    start = time.monotonic()
    proc = subprocess.Popen(["ffmpeg", "-v", "error", "-y", *inputs, "-filter_complex", ";".join(graph), "-map",
                             "[%s]" % last, *options, out])
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.monotonic() - start
    if status != 0:
        raise RuntimeError("ffmpeg failed")
    frames = int(subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-show_entries",
                                 "stream=nb_read_packets", "-of", "csv=p=0", out],
                                check=True, capture_output=True, text=True).stdout.strip())
    return {"frames": frames, "seconds": elapsed, "fps": frames / elapsed,
            "cpu": round(100 * (usage.ru_utime + usage.ru_stime) / elapsed), "peak": round(usage.ru_maxrss / 1024)}


def key_interval_rows(pictures):
    """Memory against the key-frame interval: a run may hold a whole interval of frames."""
    two = os.path.join(WORK, "two-pictures")
    os.makedirs(two, exist_ok=True)
    for picture in pictures[:2]:
        link = os.path.join(two, os.path.basename(picture))
        if not os.path.exists(link):
            os.symlink(picture, link)
    compressor = "Microsoft MPEG-4 Video Codec V2"
    print()
    print("2 pictures of 4000 x 3000, 1920 x 1080, %s, %d s each, 240 frames per second" % (compressor, SECONDS))
    print("| key frames every | path | frames | frames/s | CPU | peak memory |")
    print("|---|---|---|---|---|---|")
    for interval in (10, 100, 240):
        for mode in ("serial", "parallel"):
            r = run_ours(1920, 1080, compressor, mode, two, ("240", str(interval)))
            print("| %d | %s | %d | %.1f | %d%% | %d MB |" % (interval, mode, r["frames"], r["fps"], r["cpu"], r["peak"]))
            sys.stdout.flush()


def main():
    make_pictures()
    pictures = sorted(os.path.join(PICTURES, n) for n in os.listdir(PICTURES) if n.endswith(".jpg"))[:20]
    if sys.argv[1:] == ["--key-intervals"]:
        key_interval_rows(pictures)
        return
    print("20 pictures of 4000 x 3000, every transition in turn, %d s each, %d frames per second, %d cores"
          % (SECONDS, FPS, os.cpu_count()))
    print("| frame size | compressor | path | frames | frames/s | speedup | CPU | peak memory |")
    print("|---|---|---|---|---|---|---|---|")
    only = sys.argv[1:]  # optional: compressor names to run
    for width, height in SIZES:
        for compressor, options in ENCODERS:
            if only and compressor not in only:
                continue
            results = [("serial", run_ours(width, height, compressor, "serial")),
                       ("parallel", run_ours(width, height, compressor, "parallel")),
                       ("ffmpeg", run_ffmpeg(width, height, options, pictures))]
            base = results[0][1]["fps"]
            for path, r in results:
                print("| %d x %d | %s | %s | %d | %.1f | %.2fx | %d%% | %d MB |"
                      % (width, height, compressor, path, r["frames"], r["fps"], r["fps"] / base, r["cpu"],
                         r["peak"]))
            sys.stdout.flush()
    if not only:
        key_interval_rows(pictures)


if __name__ == "__main__":
    main()
