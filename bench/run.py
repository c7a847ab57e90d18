#!/usr/bin/env python3
# make bench: runs the probe under Wine (start-up, CPU, cadence, scaling), compares the sizes, and
# prints the table, also written to BUILD/bench/results.md. usage: bench/run.py [BUILD]
import os
import re
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the sources
from session import HZ, ticks

ROOT = Path(__file__).resolve().parent.parent
PROGS = ("lobecast", "baseline", "arcs")

# results.md; v holds the raw values of the default size's session.
PAGE = """\
# Lobecast benchmarks

{date}, {machine}, {v[env.cpus]} CPUs, Wine {v[env.wine]} on Xvfb without a window manager.
Measured: {name} (`{arch}/`: lobecast.exe, bench/baseline.exe, bench/arcs.exe, bench/probe.exe).
Machine before: {before}. After: {after}.
During the {at} run of Lobecast the machine was {busy}% busy; other work than the measured \
processes took about {others} of the {v[env.cpus]} CPUs (during the arc-calls run: {arcs_busy}% busy).

Each figure is measured beside two baselines in the same run: `bench/baseline.cpp`, a bare
window with the same 50 ms timer, and `bench/arcs.cpp`, the same window making Lobecast's arc
calls a tick and nothing else. How each figure is taken: docs/benchmarks.md in the sources.

| figure | Lobecast | bare window | arc calls alone | Lobecast vs bare window | Lobecast vs arc calls |
|---|---|---|---|---|---|
| start-up, CreateProcess to the static screen (median of {starts}; min–max) | {start[lobecast]} | {start[baseline]} | {start[arcs]} | {later[baseline]} | {later[arcs]} |
| CPU of a whole 251-step run, {at} | {cpu[lobecast]} | {cpu[baseline]} | {cpu[arcs]} | {cpu_vs_bare} | {cpu_vs_arcs} |
| CPU while stopped, {stopped} s ({stopped_ticks} ticks) | {v[idle.lobecast.cpu_s]} s | {v[idle.baseline.cpu_s]} s | {v[idle.arcs.cpu_s]} s | {idle_vs_bare} | {idle_vs_arcs} |
| X server and wineserver CPU during the run | {server[lobecast]} | {server[baseline]} | {server[arcs]} | | {server_vs_arcs} |
| cadence: wall time of the 251 steps, {at} | {v[run.lobecast.wall_s]} s ± {v[run.lobecast.end_pm_s]} (steps {v[run.lobecast.seen]} seen: {v[run.lobecast.period_ms]} ms a step; from the last one seen: {v[run.lobecast.wall_extrap_s]} s) | 12.550 s (251 × 50 ms) | {v[run.arcs.wall_s]} s ± {v[run.arcs.end_pm_s]} (steps {v[run.arcs.seen]} seen: {v[run.arcs.period_ms]} ms a step) | {wall_vs_timer} | {wall_vs_arcs} |
| size of the executable | {size[lobecast]} bytes | {size[baseline]} bytes | {size[arcs]} bytes | {bigger[baseline]} | {bigger[arcs]} |

## Scaling with the client size ({name}, Wine {v[env.wine]}, a 3840x2160 screen, the window resized before the run)

| client | radius step | CPU per tick | bare window per tick | arc calls alone per tick | Lobecast vs arc calls | CPU vs 992x673 | share of a core | X server per tick | wall of 251 steps | step period: 1–50, 50–100, 100–150, 150–end seen | 20 Hz holds | machine busy |
|---|---|---|---|---|---|---|---|---|---|---|---|---|
{scaling}
Raw lines: `probe-default.txt`, `probe-scaling.txt` beside this file.
"""
# A row of the scaling table; v holds the raw values of that client size.
SCALING_ROW = ("| {size} | {v[run.lobecast.unit]} px | {tick} ms | {bare} ms | {arcs} ms"
               " | {vs_arcs} | {vs_first} | {share} | {xvfb} ms"
               " | {v[run.lobecast.wall_s]} s ± {v[run.lobecast.end_pm_s]} | {periods} ms"
               " | {holds} | {busy} |\n")


def say(text):
    print(f"bench: {text}", file=sys.stderr, flush=True)


def die(text):
    say(text)
    sys.exit(1)


def processes():
    """The name and the clock ticks of every process, by pid."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            found[pid] = (Path(f"/proc/{pid}/comm").read_text().strip(), ticks(pid))
        except OSError:
            pass  # it has just ended
    return found


def load():
    """The load averages, and the processes above 5 % CPU over a second, the busiest first."""
    averages = ", ".join(Path("/proc/loadavg").read_text().split()[:3])
    first, start = processes(), time.monotonic()
    time.sleep(1)
    second, seconds = processes(), time.monotonic() - start
    shares = sorted(((n - first[pid][1]) * 100 / HZ / seconds, name)
                    for pid, (name, n) in second.items() if pid in first)
    busy = [f"{name} {share:.0f}%" for share, name in reversed(shares) if share >= 5]
    top = f"processes above 5 % CPU: {', '.join(busy)}" if busy else "no process above 5 % CPU"
    return f"load average: {averages}; {top}"


def probe(build, arch, exes, screen, out, limit, *args):
    """One probe session (bench/session.py) on a private Xvfb of that screen size, in a copy of
    the prefix, so that other Wine runs on this machine neither wait for it nor disturb it."""
    say(f"probe on a {screen} screen: {' '.join(args)}")
    command = [ROOT / "tools/winerun", "--build", build, "--arch", arch, "--isolated",
               "--screen", screen, "--timeout", str(limit), "--", ROOT / "bench/session.py",
               exes["probe"], "--lobecast", exes["lobecast"], "--baseline", exes["baseline"],
               "--arcs", exes["arcs"], *args]
    with open(out, "w") as f:
        code = subprocess.run(command, stdout=f).returncode
    lines = out.read_text().splitlines(keepends=True)
    if code != 0:
        sys.stderr.writelines(lines)
        die(f"the probe failed (output above, also in {out})")
    if any(s.startswith("error") for s in lines) or not any(s.startswith("done") for s in lines):
        sys.stderr.writelines(lines)
        die(f"the probe did not finish (output in {out})")


def pairs(words):
    """The key=value words as a dict."""
    return dict(word.partition("=")[::2] for word in words)


class Raw(dict):
    """Raw values as text by KIND.PROG.KEY, as the idle and run lines give them."""

    def num(self, key):
        return float(self[key])

    def load(self, lines, size=None):
        """Takes the values of the idle and run lines, those of client size WxH when given."""
        for line in lines:
            words = line.split()
            if len(words) < 2 or words[0] not in ("idle", "run"):
                continue
            if size and f" w={size.replace('x', ' h=')} " not in f" {' '.join(words[2:])} ":
                continue
            for key, value in pairs(words[2:]).items():
                self[f"{words[0]}.{words[1].removeprefix('prog=')}.{key}"] = value


def startups(lines, prog):
    """Median, minimum and maximum of the timed starts, their number, and the median time from
    the window's first being visible to its static screen."""
    times, drawn = [], []
    for line in lines:
        if line.startswith(f"startup prog={prog} "):
            found = pairs(line.split())
            times.append(float(found["s"]))
            drawn.append(float(found["s"]) - float(found["found_s"]))
    median = statistics.median
    return (f"{median(times):.3f}", f"{min(times):.3f}", f"{max(times):.3f}", len(times),
            f"{median(drawn):.3f}")


def ratio(a, b):
    """A ratio that says so when the baseline used less than the /proc clock tick can show."""
    a, b = float(a), float(b)
    if a <= 0.03 and b <= 0.03:
        return "alike at the 10 ms clock-tick resolution"
    if b < 0.005:
        return f"> {a / 0.01:.0f}× (baseline under 0.01 s)"
    return f"{a / b:.0f}×"


def ratio2(a, b):
    """The same to two decimals, for programs of like cost."""
    return "n/a" if float(b) <= 0 else f"{float(a) / float(b):.2f}×"


def ms_tick(cpu):
    return f"{1000 * float(cpu) / 251:.2f}"


def holds(periods, wall):
    """Whether 20 Hz holds: no step period above 52.5 ms, the wall time within 3 % of 12.55 s."""
    longest = max(map(float, periods))
    if longest <= 52.5 and float(wall) <= 12.55 * 1.03:
        return "yes"
    return f"no: steps up to {longest:.0f} ms ({1000 / longest:.1f} Hz)"


def page_figures(v, lines, exes):
    """The figures of PAGE that take some working out, from the default size's session."""
    start = {prog: startups(lines, prog) for prog in PROGS}
    size = {prog: os.path.getsize(exes[prog]) for prog in PROGS}
    cpu = {prog: v[f"run.{prog}.cpu_s"] for prog in PROGS}
    idle = {prog: v[f"idle.{prog}.cpu_s"] for prog in PROGS}
    busy = v.num("run.lobecast.machine_busy")
    measured = sum(v.num(f"run.lobecast.{key}_s") for key in ("cpu", "xvfb", "server", "probe"))
    servers = [f"{v.num(f'run.{p}.xvfb_s') + v.num(f'run.{p}.server_s'):.3f}"
               for p in ("lobecast", "arcs")]
    return {
        "at": f"{v['run.lobecast.w']}x{v['run.lobecast.h']}",
        "busy": f"{100 * busy:.0f}",
        "others": f"{busy * v.num('env.cpus') - measured / v.num('run.lobecast.window_s'):.2f}",
        "arcs_busy": f"{100 * v.num('run.arcs.machine_busy'):.0f}",
        "starts": start["lobecast"][3],
        "start": {p: f"{s[0]} s ({s[1]}–{s[2]}; visible to drawn {s[4]} s)"
                  for p, s in start.items()},
        "later": {p: f"{float(start['lobecast'][0]) - float(s[0]):+.3f} s"
                  for p, s in start.items()},
        "cpu": {p: f"{cpu[p]} s, {ms_tick(cpu[p])} ms a tick" for p in PROGS},
        "cpu_vs_bare": ratio(cpu["lobecast"], cpu["baseline"]),
        "cpu_vs_arcs": ratio2(cpu["lobecast"], cpu["arcs"]),
        "stopped": f"{v.num('idle.lobecast.window_s'):.0f}",
        "stopped_ticks": f"{v.num('idle.lobecast.window_s') / 0.05:.0f}",
        "idle_vs_bare": ratio(idle["lobecast"], idle["baseline"]),
        "idle_vs_arcs": ratio(idle["lobecast"], idle["arcs"]),
        "server": {p: f"{v[f'run.{p}.xvfb_s']} s + {v[f'run.{p}.server_s']} s" for p in PROGS},
        "server_vs_arcs": ratio2(*servers),
        "wall_vs_timer": f"{v.num('run.lobecast.wall_s') / 12.55:.3f}×",
        "wall_vs_arcs": f"{v.num('run.lobecast.wall_s') / v.num('run.arcs.wall_s'):.3f}×",
        "size": size,
        "bigger": {p: f"{size['lobecast'] - n:+d} bytes ({size['lobecast'] / n:.2f}×)"
                   for p, n in size.items()},
    }


def scaling_rows(v, lines):
    """The rows of the scaling table, a client size each, in the order of the runs."""
    rows, first = [], None
    for line in lines:
        found = re.match(r"run prog=lobecast w=([0-9]*) h=([0-9]*) ", line)
        if not found:
            continue
        size = f"{found[1]}x{found[2]}"
        v.load(lines, size)
        cpu, wall = v["run.lobecast.cpu_s"], v["run.lobecast.wall_s"]
        periods = [v[f"run.lobecast.p{i}_ms"] for i in range(1, 5)]
        tick = ms_tick(cpu)
        first = first or tick
        rows.append(SCALING_ROW.format(
            v=v, size=size, tick=tick, bare=ms_tick(v["run.baseline.cpu_s"]),
            arcs=ms_tick(v["run.arcs.cpu_s"]), vs_arcs=ratio2(cpu, v["run.arcs.cpu_s"]),
            vs_first=f"{float(tick) / float(first):.2f}×",
            share=f"{100 * float(cpu) / float(wall):.0f}%",
            xvfb=ms_tick(v["run.lobecast.xvfb_s"]), periods=", ".join(periods),
            holds=holds(periods, wall), busy=f"{100 * v.num('run.lobecast.machine_busy'):.0f}%"))
    return "".join(rows)


def report(out, exes, name, arch, before, after):
    """results.md from the raw lines of the two sessions."""
    default = (out / "probe-default.txt").read_text().splitlines()
    scaling = (out / "probe-scaling.txt").read_text().splitlines()
    env = next(line for line in default if line.startswith("env "))
    v = Raw({f"env.{key}": value for key, value in pairs(env.split()[1:]).items()})
    v.load(default)
    # The scaling rows read the default session's values too where theirs lack one.
    return PAGE.format(v=v, date=time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
                       machine=os.uname().machine, name=name, arch=arch, before=before,
                       after=after, scaling=scaling_rows(Raw(v), scaling),
                       **page_figures(v, default, exes))


def main():
    build = Path(os.path.abspath(sys.argv[1] if sys.argv[1:] and sys.argv[1] else ROOT / "build"))
    if not build.is_dir():
        die(f"no build folder {build}")
    # The Windows build that Wine runs here: i686, or x86_64 under wine64 (LOBECAST_WINE_ARCH).
    found = subprocess.run([ROOT / "tools/wine-arch", "--for", "make bench measures"],
                           stdout=subprocess.PIPE, text=True)
    if found.returncode != 0:
        sys.exit(found.returncode)
    arch = found.stdout.strip()
    name = "the i686 build under wine" if arch == "win32" else "the x86_64 build under wine64"
    tree = build / arch
    exes = {"lobecast": tree / "lobecast.exe", "baseline": tree / "bench/baseline.exe",
            "arcs": tree / "bench/arcs.exe", "probe": tree / "bench/probe.exe"}
    for path in exes.values():
        if not path.is_file():
            die(f"missing {path} (make bench builds it)")
    out = build / "bench"
    out.mkdir(parents=True, exist_ok=True)
    before = load()
    say(f"measuring {name} ({tree})")
    say(f"machine before: {before}")
    # BENCH_REPORT_ONLY=1 formats the table again from the raw lines of the last run;
    # BENCH_STARTS (7) and BENCH_IDLE (5 s) set the number of timed starts and the stopped time.
    if not os.environ.get("BENCH_REPORT_ONLY"):
        starts, idle = os.environ.get("BENCH_STARTS") or "7", os.environ.get("BENCH_IDLE") or "5"
        probe(build, arch, exes, "1024x768x24", out / "probe-default.txt", 400,
              "--starts", starts, "--sizes", "default", "--idle", idle)
        probe(build, arch, exes, "3840x2160x24", out / "probe-scaling.txt", 720,
              "--sizes", "992x673,1920x1080,3840x2160")
    try:
        text = report(out, exes, name, arch, before, load())
    except (OSError, KeyError, ValueError, StopIteration) as error:  # a file, line or figure missing
        die(f"no table from the raw lines in {out} ({error!r})")
    (out / "results.md").write_text(text, encoding="utf-8")
    sys.stdout.buffer.write(text.encode())
    sys.stdout.flush()
    say(f"written to {out / 'results.md'}")


if __name__ == "__main__":
    main()
