# What every job of tools/winerun stands on: the run's state and log, the set-up's time left,
# and commands in process groups of their own whose every wait has a bound.
import contextlib
import os
import pathlib
import signal
import subprocess
import sys
import threading
import time


class SetupFailed(Exception):  # exit 125
    pass


class Stopped(Exception):  # by INT, TERM or HUP
    pass


class Run:  # what this run has started and learnt, for its teardown and its report
    t0 = time.monotonic()
    setup, setup_end = 0, None  # the set-up's budget in seconds, and its end (None once it is over)
    log = work = wm = xvfb = command = splitter = server_dir = stopped = ran = None
    creating = windows_program = timed_out = False


R, LOCK = Run(), threading.Lock()


def since(t0=None):
    return f"{time.monotonic() - (t0 or R.t0):.2f}"


def write_log(data):
    if R.log:
        with LOCK, open(R.log, "ab") as f:
            f.write(data)


def note(text):
    """To the run's log alone, with the seconds since the start."""
    write_log(f"[{since():>6} s] {text}\n".encode())


def say(text):
    print(f"winerun: {text}", file=sys.stderr, flush=True)
    note(text)


def left(bound):
    """The bound of a set-up wait: no more than the set-up has left."""
    if R.setup_end is not None and R.setup_end <= time.monotonic():
        raise SetupFailed(f"the set-up took over {R.setup} s")
    return within(bound)


def within(bound):
    """bound, or what the set-up has left while it runs: so no wait of its goes past its end."""
    return bound if R.setup_end is None else max(0, min(bound, R.setup_end - time.monotonic()))


def read(path):
    return pathlib.Path(path).read_text().strip() if os.path.isfile(path) else ""


def spawn(cmd, **kw):
    """Starts cmd in a process group of its own, sent TERM should winerun die outright."""
    kw.setdefault("stdin", subprocess.DEVNULL)
    return subprocess.Popen(["setpriv", "--pdeathsig", "TERM", *cmd], process_group=0, **kw)


def signal_group(pid, sig):
    with contextlib.suppress(ProcessLookupError, PermissionError):
        os.killpg(pid, sig)


def end(proc, grace):
    """Ends proc's group: TERM, then KILL after grace seconds, which is waited 0.2 s at most."""
    for sig, wait in ((signal.SIGTERM, within(grace)), (signal.SIGKILL, 0.2)):
        if proc.poll() is None:
            signal_group(proc.pid, sig)
            with contextlib.suppress(subprocess.TimeoutExpired):
                proc.wait(wait)


def bounded(cmd, bound, **kw):
    """Runs cmd for at most bound seconds: its exit status, or None (its group killed)."""
    proc = spawn(cmd, **kw)
    try:
        return proc.wait(within(bound))
    except subprocess.TimeoutExpired:
        return None
    finally:
        end(proc, 0)


def server_ended(bound):
    return bounded(["wineserver", "-w"], bound) == 0


def kill_wine(bound):
    """Kills the prefix's Wine programs and server, and waits up to bound seconds for them."""
    bounded(["wineserver", "-k"], 2, stderr=subprocess.DEVNULL)
    server_ended(bound)


def wine_programs():
    """The names of the processes of this run's prefix, for the log."""
    mine, names = os.fsencode(f"WINEPREFIX={os.environ.get('WINEPREFIX')}"), []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        with contextlib.suppress(OSError):
            if mine in pathlib.Path(f"/proc/{pid}/environ").read_bytes().split(b"\0"):
                names.append(read(f"/proc/{pid}/comm"))
    return sorted(names)
