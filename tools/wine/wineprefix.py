# The project's Wine prefix for tools/winerun: made once per Wine version, copied for a run that
# must not touch it, its server folder found, and removed with that folder.
import glob
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

from procs import R, SetupFailed, bounded, kill_wine, left, note, read, say, since

SETTINGS = os.path.dirname(os.path.abspath(__file__))  # the registry settings beside this file
STAMP, FORMAT = ".winerun-ready", "4"  # a new format makes every prefix again
# Wine's program and data files, which nothing rewrites in place: a prefix copy links them.
SHARED_FILE = re.compile(r".*\.(dll|exe|drv|sys|ocx|cpl|acm|tlb|vxd|nls|ax|ds|com|mod|msstyles|fon|ttf)$", re.I)


def ready(prefix, version):
    return read(f"{prefix}/{STAMP}") == f"{FORMAT} {version}"


def server_dirs(prefix):
    # The prefix's server folder is named by the prefix's device and inode, in /run/user/UID/wine,
    # the folder of /tmp that the prefix's file "wineserver" names (Debian's Wine), or /tmp/.wine-UID.
    base, name, st = f"/tmp/.wine-{os.getuid()}", read(f"{prefix}/wineserver"), os.stat(prefix)
    if os.access(f"/run/user/{os.getuid()}", os.R_OK | os.X_OK):
        base = f"/run/user/{os.getuid()}/wine"
    elif re.fullmatch(r"wine-\w{6}", name):
        base = f"/tmp/{name}"
    return f"{base}/server-{st.st_dev:x}-{st.st_ino:x}", base


def remove(prefix):
    """With its server folder, and with Debian's Wine the folder in /tmp that it shares with its copies."""
    if os.path.exists(prefix):
        own, base = server_dirs(prefix)
        for folder in [own, base] if base.startswith("/tmp/wine-") else [own]:
            shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(prefix, ignore_errors=True)


def reg_import(text, out_path, bound):
    """Imports registry text into the prefix, and waits until the server has saved it and ended."""
    file = f"{os.environ['WINEPREFIX']}/drive_c/winerun.reg"
    with open(file, "w", newline="\r\n") as f:
        f.write(f"REGEDIT4\n\n{text}\n")
    with open(out_path, "ab") as out:
        rc = bounded(["env", "-u", "DISPLAY", "sh", "-c", 'wine reg import "C:\\winerun.reg"; rc=$?; wineserver -w; '
                      'exit $rc'], bound, stdout=out, stderr=subprocess.STDOUT)
    os.remove(file)
    if rc != 0:
        bounded(["wineserver", "-k"], 2, stderr=subprocess.DEVNULL)
    return rc == 0


def create(build, fonts, version):
    """Makes WINEPREFIX: wineboot, Wine's own fonts, the registry settings, the stamp."""
    t0, prefix, init_log = time.monotonic(), os.environ["WINEPREFIX"], f"{build}/wine-init.log"
    # A pause of 20 s: said where someone watches, in the log alone under CTest.
    (say if sys.stderr.isatty() else note)(f"creating the Wine prefix {prefix} (once; about 20 s)")
    R.creating = True
    if os.path.exists(prefix):
        note("removing an unfinished or outdated prefix")
        kill_wine(5)
        remove(prefix)
    with open(init_log, "wb") as out:
        if bounded(["env", "-u", "DISPLAY", "sh", "-c", "wineboot --init && wineserver -w"], 100, stdout=out,
                   stderr=subprocess.STDOUT) != 0:
            bounded(["wineserver", "-k"], 2, stderr=subprocess.DEVNULL)
            raise SetupFailed(f"Wine prefix creation failed or took over 100 s; see {init_log}")
    # Wine's own fonts (MS Sans Serif, Tahoma, Marlett for the caption buttons, from fonts-wine)
    # count only in the prefix's Fonts folder; without them dialogs take a wider face.
    if not glob.glob(f"{glob.escape(fonts)}/*.fon"):
        note("Wine's own fonts are missing (package fonts-wine); dialogs will use Liberation Sans")
    found = glob.glob(f"{glob.escape(fonts)}/*.ttf") + glob.glob(f"{glob.escape(fonts)}/*.fon")
    if found:
        bounded(["ln", "-sf", *found, f"{prefix}/drive_c/windows/Fonts/"], 10)
    if not reg_import(read(f"{SETTINGS}/prefix.reg"), init_log, 20):
        raise SetupFailed(f"could not set up the prefix registry; see {init_log}")
    pathlib.Path(f"{prefix}/.update-timestamp").write_text("disable\n")
    pathlib.Path(f"{prefix}/{STAMP}").write_text(f"{FORMAT} {version}\n")
    R.creating = False
    note(f"prefix ready in {since(t0)} s")


def copy(src, dst):
    """Links Wine's program files and copies the rest (the registry above all): what a run writes stays there."""
    os.mkdir(dst)
    if bounded(["cp", "-al", f"{src}/.", f"{dst}/"], left(30)) != 0:
        raise SetupFailed(f"copying the prefix into {dst} failed")
    for folder, _, files in os.walk(dst):
        for path in (f"{folder}/{name}" for name in files if not SHARED_FILE.match(name)):
            if not os.path.islink(path):
                os.remove(path)
                shutil.copy2(f"{src}/{os.path.relpath(path, dst)}", path)
