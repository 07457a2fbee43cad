"""An Xvfb of its own on the first free display, for the headless demo and the tests."""

import os
import signal
import subprocess

# The signals whose handlers may raise in the demo and the tests.
_ENDING = {signal.SIGHUP, signal.SIGINT, signal.SIGTERM}


def start_xvfb(width, height):
    """Starts Xvfb and waits until it has a display; returns the process and the display's name.

    Interrupted while it waits (a signal handler that raises, Ctrl+C), it ends Xvfb before passing the
    exception on: the caller has no process to end yet. Such a signal is held back while Xvfb starts, so
    that it cannot land between Xvfb's start and the moment there is a process to end; Xvfb itself starts
    with nothing held back."""
    read_fd, write_fd = os.pipe()
    held = signal.pthread_sigmask(signal.SIG_BLOCK, _ENDING)
    try:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
                                 "-nolisten", "tcp"],
                                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                preexec_fn=lambda: signal.pthread_sigmask(signal.SIG_SETMASK, held))
    except BaseException:
        signal.pthread_sigmask(signal.SIG_SETMASK, held)
        os.close(read_fd)
        os.close(write_fd)
        raise
    os.close(write_fd)
    try:
        signal.pthread_sigmask(signal.SIG_SETMASK, held)  # a signal held back lands here, with Xvfb to end
        with os.fdopen(read_fd) as pipe:
            return xvfb, ":" + pipe.readline().strip()
    except BaseException:
        xvfb.kill()
        xvfb.wait()
        raise
