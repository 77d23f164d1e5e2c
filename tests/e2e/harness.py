"""Runs a built program the way a user's shell would and captures all of it.

Standard input comes from bytes (through a file or a pipe), from nothing
(closed); standard output goes to a file, a pipe, /dev/full, a pipe whose
reader has gone, or nowhere (closed). Under --runner the program is started
through that command (Wine for the Windows build).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import unittest

BINARY = None
RUNNER = []
TIMEOUT = 120


def parse_arguments():
    global BINARY, RUNNER
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary")
    parser.add_argument("--runner", default="")
    args, rest = parser.parse_known_args()
    BINARY = os.path.abspath(args.binary) if args.binary else None
    RUNNER = args.runner.split(";") if args.runner else []
    return [sys.argv[0]] + rest


def on_windows():
    return bool(RUNNER)


def native_path(path):
    """A host path as the program sees it: under a runner (Wine) "/tmp/x/"
    is "Z:\\tmp\\x\\". Takes and gives str or bytes."""
    if not on_windows():
        return path
    if isinstance(path, bytes):
        return b"Z:" + path.replace(b"/", b"\\")
    return "Z:" + path.replace("/", "\\")


def as_split(argument):
    """An argument as the program reads it back from its command line.
    Wine quotes an argument that holds a blank, a tab or a double quote,
    writes a double quote inside as \\" and doubles the backslashes before
    a double quote. The Windows build takes a backslash as an ordinary
    character and each double quote as the start or end of a quoted
    stretch, and a blank outside a stretch ends the argument."""
    if not on_windows() or not any(c in argument for c in ' \t"'):
        return argument
    line, backslashes = '"', 0
    for c in argument:
        if c == "\\":
            backslashes += 1
            continue
        line += "\\" * (2 * backslashes + 1) + c if c == '"' else "\\" * backslashes + c
        backslashes = 0
    line += "\\" * (2 * backslashes) + '"'
    read, quoted = "", False
    for c in line:
        if c == '"':
            quoted = not quoted
        elif quoted or ord(c) > 32:
            read += c
        else:
            break
    return read


# The code each build reports when standard output or input cannot be used.
# Under Wine a pipe without a reader is "not connected" (233), and a closed
# descriptor is taken over by Wine's own files, so the handle the program
# gets is one it cannot use (6 for output, 1 for input) rather than none.
def failure_code(kind):
    linux = {"full": 112, "gone": 232, "closed output": 105, "closed input": 6}
    wine = {"full": 112, "gone": 233, "closed output": 6, "closed input": 1}
    return (wine if on_windows() else linux)[kind]


def module_name():
    return os.path.basename(BINARY)


def as_unprivileged_user():
    """A wrapper that runs a command without root rights, or None."""
    if os.geteuid() != 0:
        return []
    for tool in ("/usr/bin/setpriv", "/bin/setpriv"):
        if os.path.exists(tool):
            return [tool, "--reuid=65534", "--regid=65534", "--clear-groups"]
    return None


class Result:
    def __init__(self, stdout, stderr, code):
        self.stdout, self.stderr, self.code = stdout, stderr, code


def run(args=(), stdin=b"", stdin_kind="file", stdout_kind="file", cwd=None,
        env=None, binary=None, wrapper=()):
    """stdin_kind: file, pipe, closed; stdout_kind: file, pipe, full,
    closed, gone (a pipe whose reader has closed). `wrapper` is a command
    that starts the program, such as one that drops root rights."""
    command = list(wrapper) + RUNNER + [binary or BINARY] + list(args)
    closing = []
    with tempfile.TemporaryDirectory() as scratch:
        out_path = os.path.join(scratch, "out")
        in_file = out_file = None
        popen_in = popen_out = None
        if stdin_kind == "file":
            with open(os.path.join(scratch, "in"), "wb") as f:
                f.write(stdin)
            in_file = open(os.path.join(scratch, "in"), "rb")
            popen_in = in_file
        elif stdin_kind == "pipe":
            popen_in = subprocess.PIPE
        else:
            popen_in = subprocess.DEVNULL
            closing.append(0)
        read_end = None
        if stdout_kind == "file":
            out_file = open(out_path, "wb")
            popen_out = out_file
        elif stdout_kind == "pipe":
            popen_out = subprocess.PIPE
        elif stdout_kind == "full":
            out_file = open("/dev/full", "wb")
            popen_out = out_file
        elif stdout_kind == "gone":
            read_end, write_end = os.pipe()
            os.close(read_end)
            popen_out = write_end
        else:
            popen_out = subprocess.DEVNULL
            closing.append(1)

        def close_fds():
            for fd in closing:
                os.close(fd)

        process = subprocess.Popen(
            command, stdin=popen_in, stdout=popen_out, stderr=subprocess.PIPE,
            cwd=cwd, env=env, preexec_fn=close_fds if closing else None)
        if stdout_kind == "gone":
            os.close(popen_out)
        try:
            out, err = process.communicate(
                stdin if stdin_kind == "pipe" else None, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            raise AssertionError("timed out: %r" % (command,))
        for f in (in_file, out_file):
            if f:
                f.close()
        if stdout_kind == "file":
            with open(out_path, "rb") as f:
                out = f.read()
        return Result(out or b"", err, process.returncode)


def report(message, module=None):
    """The failure report for `message`, with the location as a pattern."""
    module = re.escape((module or module_name()).encode())
    return (rb"Exception EInOutError in module " + module +
            rb" at [0-9A-F]{8,}\.\r\n" + re.escape(message.encode()) +
            rb"\r\n\r\n")


class Case(unittest.TestCase):
    def assertReport(self, result, message, module=None):
        self.assertEqual(result.code, 1, result.stderr)
        self.assertRegex(result.stderr, b"^" + report(message, module) + b"$")


def main():
    argv = parse_arguments()
    unittest.main(argv=argv, verbosity=2)
