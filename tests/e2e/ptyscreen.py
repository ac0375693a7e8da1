"""Runs a program in a pseudo-terminal of a given size and reads its screen back.

Everything the program writes to its terminal goes through a pyte screen; its
standard output and standard error are caught apart. Actions (signals or keys)
can be sent at given moments or when a text shows on the screen.

As a module: run(argv, rows, cols, actions) returns a dict. As a script:
  ptyscreen.py [--rows N] [--cols N] [--timeout S] [--actions JSON] -- program args...
prints the same dict as JSON.
"""

import argparse
import fcntl
import json
import os
import select
import signal
import struct
import subprocess
import sys
import termios
import time

import pyte


class _Screen(pyte.Screen):
    def delete_lines(self, count=None):
        # pyte 0.8 leaves the cursor's line in place when the line below it was
        # never written to; a terminal blanks it.
        count = count or 1
        top, bottom = self.margins or pyte.screens.Margins(0, self.lines - 1)
        if top <= self.cursor.y <= bottom:
            self.dirty.update(range(self.cursor.y, self.lines))
            for y in range(self.cursor.y, bottom + 1):
                if y + count <= bottom and y + count in self.buffer:
                    self.buffer[y] = self.buffer.pop(y + count)
                else:
                    self.buffer.pop(y, None)
            self.carriage_return()


def _make_controlling_terminal():
    # Runs in the child after setsid(): its standard input is the pty's slave side.
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


def _signal_number(name):
    return name if isinstance(name, int) else int(getattr(signal, name))


def run(argv, rows=24, cols=80, actions=(), timeout=30.0, env=None, cwd=None):
    """Starts argv in a rows x cols pty and waits for its end.

    actions: dicts taken in order; each fires once the text "when_text" (if given)
    is on the screen and "after" seconds (default 0) have passed since the previous
    action (or the start), and then sends "signal" (a name such as "SIGINT" or a
    number) to the program, writes "keys" (text) into the terminal and/or calls
    "call" (a function without arguments; only when used as a module).

    Returns {"screen": [rows strings of cols characters], "cursor": [column, row],
    "stdout": str, "stderr": str, "exit_code": int (negative: killed by that
    signal), "timed_out": bool, "fired": number of actions that fired}.
    """
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
    screen = _Screen(cols, rows)
    stream = pyte.ByteStream(screen)
    try:
        proc = subprocess.Popen(
            argv, stdin=slave, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            start_new_session=True, preexec_fn=_make_controlling_terminal,
            env=env, cwd=cwd, close_fds=True)
    finally:
        os.close(slave)

    start = time.monotonic()
    last_fired = start
    pending = list(actions)
    fired = 0
    captured = {"stdout": bytearray(), "stderr": bytearray()}
    sources = {master: None, proc.stdout.fileno(): "stdout", proc.stderr.fileno(): "stderr"}
    timed_out = False

    while sources:
        now = time.monotonic()
        while pending:
            action = pending[0]
            text = action.get("when_text")
            if text is not None and text not in "\n".join(screen.display):
                break
            if now - last_fired < action.get("after", 0):
                break
            if "signal" in action:
                try:
                    proc.send_signal(_signal_number(action["signal"]))
                except ProcessLookupError:
                    pass
            if "keys" in action:
                os.write(master, action["keys"].encode())
            if "call" in action:
                action["call"]()
            pending.pop(0)
            fired += 1
            last_fired = now = time.monotonic()
        if now - start > timeout:
            timed_out = True
            os.killpg(proc.pid, signal.SIGKILL)
            break
        ready, _, _ = select.select(list(sources), [], [], 0.02)
        for fd in ready:
            try:
                data = os.read(fd, 65536)
            except OSError:  # EIO once no process holds the pty any more
                data = b""
            if not data:
                del sources[fd]
            elif sources[fd] is None:
                stream.feed(data)
            else:
                captured[sources[fd]] += data

    try:
        exit_code = proc.wait(timeout=max(1.0, timeout - (time.monotonic() - start)))
    except subprocess.TimeoutExpired:
        timed_out = True
        os.killpg(proc.pid, signal.SIGKILL)
        exit_code = proc.wait()
    os.close(master)
    proc.stdout.close()
    proc.stderr.close()
    return {
        "screen": list(screen.display),
        "cursor": [screen.cursor.x, screen.cursor.y],
        "stdout": captured["stdout"].decode("utf-8", "replace"),
        "stderr": captured["stderr"].decode("utf-8", "replace"),
        "exit_code": exit_code,
        "timed_out": timed_out,
        "fired": fired,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rows", type=int, default=24)
    parser.add_argument("--cols", type=int, default=80)
    parser.add_argument("--timeout", type=float, default=30.0)
    parser.add_argument("--actions", default="[]", help='JSON list, e.g. [{"when_text": "ready", "signal": "SIGINT"}]')
    parser.add_argument("argv", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    argv = options.argv[1:] if options.argv[:1] == ["--"] else options.argv
    if not argv:
        parser.error("no program given")
    result = run(argv, options.rows, options.cols, json.loads(options.actions), options.timeout)
    json.dump(result, sys.stdout, ensure_ascii=False, indent=1)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
