#!/usr/bin/python3
"""Times a 20-picture show of 4000 x 3000 JPEGs with every transition, written by
Vistrel and by the ffmpeg command line (image inputs joined by its xfade filter).

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
# ffmpeg's xfade counterparts of our kinds 0..6; "None" becomes a one-frame fade.
XFADE = ["fade", "fade", "slideright", "slidedown", "slideleft", "slideup", "pixelize"]
ENCODERS = [  # our compressor name, ffmpeg's encoder options
    ("None (for postprocessing)", ["-c:v", "rawvideo", "-pix_fmt", "bgr24"]),
    ("Microsoft Video 1", ["-c:v", "msvideo1"]),
    ("Xvid MPEG-4 Codec", ["-c:v", "libxvid", "-q:v", "4", "-g", "25"]),
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


def run_ours(width, height, compressor, out):
    line = subprocess.run([BENCH, PICTURES, str(width), str(height), compressor, out],
                          check=True, capture_output=True, text=True).stdout.strip()
    m = re.match(r"(\d+) frames in ([\d.]+) s", line)
    return int(m.group(1)), float(m.group(2)), line


def run_ffmpeg(width, height, options, out, pictures):
    inputs, chains, durations = [], [], []
    for i in range(len(pictures)):
        kind_in = i % 7
        kind_out = (i + 1) % 7 if i + 1 < len(pictures) else 0
        d_in = 0 if i == 0 else (1.0 if kind_in else 1.0 / FPS)
        d_out = 0 if i + 1 == len(pictures) else (1.0 if kind_out else 1.0 / FPS)
        durations.append(d_in)
        frames = round((d_in + 1 + d_out) * FPS)
        inputs += ["-i", pictures[i]]
        chains.append(
            "[%d:v]scale=%d:%d:force_original_aspect_ratio=decrease,pad=%d:%d:(ow-iw)/2:(oh-ih)/2:black,"
            "setsar=1,format=yuv420p,loop=loop=%d:size=1:start=0,setpts=N/(%d*TB),fps=%d[p%d]"
            % (i, width, height, width, height, frames - 1, FPS, FPS, i))
    graph, last, length = chains, "p0", 1 + durations[1] if len(pictures) > 1 else 1
    for i in range(1, len(pictures)):
        d = durations[i]
        offset = length - d
        graph.append("[%s][p%d]xfade=transition=%s:duration=%.4f:offset=%.4f[x%d]"
                     % (last, i, XFADE[i % 7], d, offset, i))
        last = "x%d" % i
        length = offset + d + 1 + (durations[i + 1] if i + 1 < len(pictures) else 0)
    start = time.monotonic()
    subprocess.run(["ffmpeg", "-v", "error", "-y", *inputs, "-filter_complex", ";".join(graph), "-map",
                    "[%s]" % last, *options, out], check=True)
    elapsed = time.monotonic() - start
    frames = int(subprocess.run(["ffprobe", "-v", "error", "-count_packets", "-show_entries",
                                 "stream=nb_read_packets", "-of", "csv=p=0", out],
                                check=True, capture_output=True, text=True).stdout.strip())
    return elapsed, frames


def main():
    make_pictures()
    pictures = sorted(os.path.join(PICTURES, n) for n in os.listdir(PICTURES) if n.endswith(".jpg"))[:20]
    print("20 pictures of 4000 x 3000, every transition in turn, 1 s each, %d frames per second" % FPS)
    for width, height in ((640, 480), (1280, 720)):
        for compressor, options in ENCODERS:
            ours_frames, ours_time, line = run_ours(width, height, compressor, os.path.join(WORK, "vistrel.avi"))
            ff_time, ff_frames = run_ffmpeg(width, height, options, os.path.join(WORK, "ffmpeg.avi"), pictures)
            print("%dx%d %-27s Vistrel: %s" % (width, height, compressor, line))
            print("%dx%d %-27s ffmpeg:  %d frames in %.2f s: %.1f frames/s; frames per second Vistrel/ffmpeg %.2f"
                  % (width, height, "", ff_frames, ff_time, ff_frames / ff_time,
                     (ff_time / ff_frames) / (ours_time / ours_frames)))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
