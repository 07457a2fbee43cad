"""An Xvfb of its own on the first free display, for the headless demo and the tests."""

import os
import subprocess


def start_xvfb(width, height):
    """Starts Xvfb and waits until it has a display; returns the process and the display's name.

    Interrupted while it waits (a signal handler that raises, Ctrl+C), it ends Xvfb before passing the
    exception on: the caller has no process to end yet."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
                             "-nolisten", "tcp"],
                            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    try:
        with os.fdopen(read_fd) as pipe:
            return xvfb, ":" + pipe.readline().strip()
    except BaseException:
        xvfb.kill()
        xvfb.wait()
        raise
