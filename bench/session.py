#!/usr/bin/env python3
# One probe session of make bench, run by tools/winerun: runs probe.exe and passes its lines on,
# adding the CPU figures that it reads from /proc, outside Wine, at each "mark" line of the probe.
import glob
import os
import statistics
import subprocess
import sys
import threading
import time

HZ = os.sysconf("SC_CLK_TCK")


def now_us():
    return time.time_ns() // 1000


def fail(what):
    print(f'error what="{what}"', flush=True)
    sys.exit(1)


def pid_of(pattern):
    """The newest process of this run's prefix whose name matches pattern (Wine names a
    program's process after its .exe file)."""
    mine = os.fsencode("WINEPREFIX=" + os.environ["WINEPREFIX"])
    found = None
    for pid in subprocess.run(["pgrep", pattern], stdout=subprocess.PIPE, text=True).stdout.split():
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if mine in f.read().split(b"\0"):
                    found = pid
        except OSError:
            pass  # it has just ended
    if not found:
        fail(f"no process {pattern} of this prefix in /proc")
    return found


def ticks(pid):
    """The user + system clock ticks of a process (fields 14 and 15 of /proc/PID/stat)."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def snapshot(pids):
    """The time (µs), the clock ticks of each process, then the machine's busy and total ticks."""
    with open("/proc/stat") as f:
        user, nice, system, idle, iowait, irq, softirq, steal = map(int, f.readline().split()[1:9])
    busy = user + nice + system + irq + softirq + steal
    return [now_us(), *map(ticks, pids), busy, busy + idle + iowait]


def sample(pid, samples, stop):
    """Every 37 ms until stopped: the time (µs) and the CPU time (ns) of the program's threads,
    which dates the end of a run (its last steps draw off the client: the probe cannot see them)."""
    while True:
        ns = 0
        for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
            try:
                with open(path) as f:
                    ns += int(f.read().split()[0])
            except (OSError, IndexError):
                pass  # the thread has just ended
        samples.append((now_us(), ns))
        if stop.wait(0.037):
            return


def date_end(samples, enter):
    """The end of a run: an interval holds a running tick when the program used more than three
    times the median of the stopped second before Enter (about one tick of its timer; three
    intervals in four hold one); the end is the middle of the last such interval with two more
    in the 0.3 s before it, ± half that interval. Gives its time after Enter, the ± and the
    seconds sampled since, as text; None before there is one."""
    t = [(us - enter) / 1e6 for us, _ in samples]
    c = [ns / 1e9 for _, ns in samples]
    stopped = []
    for i in range(1, len(t)):
        if t[i] > 0:
            break
        stopped.append(c[i] - c[i - 1])
    # The upper of the two middle values when there are two, as it always was.
    level = max(3 * statistics.median_high(stopped) if stopped else 0, 50e-6)
    running = [False] + [t[i - 1] >= 0 and c[i] - c[i - 1] > level for i in range(1, len(t))]
    for i in range(len(t) - 1, 0, -1):
        if not running[i]:
            continue
        before = 0
        for j in range(i - 1, 0, -1):
            if t[i] - t[j] > 0.3:
                break
            before += running[j]
        if before >= 2:
            middle, pm = (t[i - 1] + t[i]) / 2, (t[i] - t[i - 1]) / 2
            return f"{middle:.4f}", f"{pm:.4f}", f"{t[-1] - t[i]:.3f}"
    return None


def wait_for_end(samples, enter):
    """Waits until the end of the run, dated from the samples so far, lies 1.5 s back."""
    while True:
        end = date_end(list(samples), enter)
        if end and float(end[2]) >= 1.5:
            return
        if now_us() - enter >= 200_000_000:
            fail("the run did not end within 200 s")
        time.sleep(0.2)


def used(snaps, first, last, tail):
    """What each process used from snapshot first to last, as key=value pairs; for the program,
    less its stopped rate (from the idle phase) over the tail seconds after its run's end."""
    a, b, i, j = snaps[first], snaps[last], snaps["idle"], snaps["idle-end"]
    rate = (j[1] - i[1]) / HZ / ((j[0] - i[0]) / 1e6)
    cpu = (b[1] - a[1]) / HZ - rate * tail
    cpu = cpu if cpu > 0 else 0  # not max(), which would keep a -0.0
    busy = (b[5] - a[5]) / (b[6] - a[6]) if b[6] > a[6] else 0
    return (f" window_s={(b[0] - a[0]) / 1e6:.3f} cpu_s={cpu:.3f} xvfb_s={(b[2] - a[2]) / HZ:.3f}"
            f" server_s={(b[3] - a[3]) / HZ:.3f} probe_s={(b[4] - a[4]) / HZ:.3f}"
            f" machine_busy={busy:.3f}")


class Session:
    """The processes, the snapshots by phase and the samples of the program measured."""

    def __init__(self, xvfb, wine):
        self.wine = wine
        self.pids = {"xvfb": xvfb}
        self.snaps = {}
        self.samples = []
        self.stop = threading.Event()
        self.sampler = None
        self.lobecast_run = ("", "0")  # the bare baseline is measured over Lobecast's run

    def mark(self, phase, prog):
        """Reads the counters at a mark line; the probe waits for that."""
        if phase == "ready":
            self.pids["program"] = pid_of(rf"^{prog}\.exe$")
            self.samples, self.stop = [], threading.Event()
            args = (self.pids["program"], self.samples, self.stop)
            self.sampler = threading.Thread(target=sample, args=args, daemon=True)
            self.sampler.start()
            return
        if phase == "wait-end":
            wait_for_end(self.samples, self.snaps["enter"][0])
            phase = "end"
        self.snaps[phase] = snapshot([self.pids[p] for p in ("program", "xvfb", "server", "probe")])
        if phase == "end":
            self.stop.set()
            self.sampler.join()

    def passed_on(self, line):
        """The probe's line with the readings added."""
        if line.startswith("env "):
            self.pids["probe"] = pid_of(r"^probe\.exe$")
            self.pids["server"] = pid_of("^wineserver")
            return (f"{line} wine={self.wine} cpus={len(os.sched_getaffinity(0))}"
                    f" xvfb_pid={self.pids['xvfb']} server_pid={self.pids['server']}")
        if line.startswith("idle "):
            return line + used(self.snaps, "idle", "idle-end", 0)
        if line.startswith("run prog=baseline "):
            wall, tail = self.lobecast_run
            return f"{line} wall_s={wall}{used(self.snaps, 'enter', 'end', float(tail))}"
        if line.startswith("run "):
            return self.run_line(line)
        return line

    def run_line(self, line):
        """A run line of Lobecast or of the arc calls, with the run's end dated."""
        end = date_end(self.samples, self.snaps["enter"][0])
        if not end:
            fail("no end of the run in the CPU samples")
        wall, pm, _ = end
        tail = f"{(self.snaps['end'][0] - self.snaps['enter'][0]) / 1e6 - float(wall):.3f}"
        if line.startswith("run prog=lobecast "):
            self.lobecast_run = (wall, tail)
        cpu = used(self.snaps, "enter", "end", float(tail))
        return f"{line} wall_s={wall} end_pm_s={pm} tail_s={tail}{cpu}"


def main():
    xvfb = os.environ.get("WINERUN_XVFB_PID")
    if not xvfb:
        sys.exit("bench/session.py runs under tools/winerun (no WINERUN_XVFB_PID)")
    sys.stdout.reconfigure(line_buffering=True)  # a session that times out keeps its lines
    version = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE, text=True)
    if version.returncode != 0:
        fail("wine --version failed")
    session = Session(xvfb, version.stdout.strip().removeprefix("wine-").split(" ")[0])
    probe = subprocess.Popen(["wine", *sys.argv[1:]], stdin=subprocess.PIPE,
                             stdout=subprocess.PIPE, text=True)
    for line in probe.stdout:
        line = line.rstrip("\r\n")
        if line.startswith("mark "):
            _, phase, prog = line.split(maxsplit=2)
            session.mark(phase, prog.removeprefix("prog="))
            probe.stdin.write("ok\n")
            probe.stdin.flush()
        else:
            print(session.passed_on(line))
    code = probe.wait()
    sys.exit(code if code >= 0 else 128 - code)


if __name__ == "__main__":
    main()
