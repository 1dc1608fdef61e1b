"""Types keys at a program on a real pseudo-terminal, each once the program
has answered the last, and prints as JSON what the terminal showed (its
bytes as code points 0 to 255) and the exit status as a shell gives it.

Every wait has a time limit. Usage: pty_keys.py PROGRAM KEYS_JSON
KEYS_JSON is a list of key names (Enter, Backspace, Control+C, Control+D)
and texts to type, after which the program must end.
"""
import json
import os
import pty
import select
import sys
import time

TIMEOUT = 10.0
BYTES = {"Enter": "\r", "Backspace": "\x7f", "Control+C": "\x03", "Control+D": "\x04"}
# What the program's every answer ends with, once it waits for more.
ANSWERED = (b"beverage: ", b"wallet!")

program, keys = sys.argv[1], json.loads(sys.argv[2])
pid, fd = pty.fork()
if pid == 0:
    os.execv(program, [program])
screen = b""
status = None


def settle(answer_expected, end_expected=False):
    """Reads until the terminal has been quiet for a moment and, where a
    line was handed over, the program has answered or ended; or where the
    session is over, until it has ended."""
    global screen, status
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        if select.select([fd], [], [], 0.2)[0]:
            try:
                screen += os.read(fd, 4096)
                continue
            except OSError:  # the terminal is gone with the program
                pass
        if status is None:
            done, code = os.waitpid(pid, os.WNOHANG)
            if done:
                status = os.waitstatus_to_exitcode(code)
                status = 128 - status if status < 0 else status
                continue
        if status is not None or not (end_expected or answer_expected and not screen.endswith(ANSWERED)):
            return
    os.kill(pid, 9)
    sys.exit(f"timed out; the terminal showed {screen!r}")


settle(True)
line = ""
for key in keys:
    os.write(fd, BYTES.get(key, key).encode())
    hands_over = key == "Enter" or (key == "Control+D" and not line)
    if key == "Backspace":
        line = line[:-1]
    else:
        line = "" if key in BYTES else line + key
    settle(hands_over, key == "Control+C")
# Each session ends the program.
settle(True, True)
json.dump({"screen": screen.decode("latin-1"), "status": status}, sys.stdout)
