"""Where the window runs: a virtual X display, Wine, a zh_CN locale built for the run, and Wine
prefixes (one booted template, copied for each test class with a HOME of its own).

scripts/time_window.py starts its display and prefix through the same functions.
"""

import functools
import os
import pwd
import struct
import subprocess

from tests.ui.harness.waits import HarnessError

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
SCREEN = "1280x1024x24"


@functools.lru_cache(maxsize=None)
def wine_dir():
    """The folder of wine64 and wineserver, as scripts/wine-dir.sh finds it (once a run)."""
    found = subprocess.run([os.path.join(ROOT, "scripts", "wine-dir.sh")],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if found.returncode != 0:
        raise HarnessError("cannot find Wine: " + found.stderr.strip())
    return found.stdout.strip()


def pe_machine(path):
    """"i386" or "x86-64" for a Windows program, from its PE header; None for anything else."""
    try:
        with open(path, "rb") as reader:
            header = reader.read(4096)
    except OSError:
        return None
    if len(header) < 64:
        return None
    pe = struct.unpack_from("<I", header, 0x3C)[0]
    if pe + 6 > len(header) or header[pe:pe + 4] != b"PE\0\0":
        return None
    return {0x14C: "i386", 0x8664: "x86-64"}.get(struct.unpack_from("<H", header, pe + 4)[0])


def require_32_bit():
    """Raises, saying why, when this machine cannot run 32-bit Windows programs."""
    probe = subprocess.run([os.path.join(ROOT, "scripts", "runs-32-bit.sh")],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if probe.returncode != 0:
        raise HarnessError("cannot run the 32-bit build: " + probe.stdout.strip())
    if not os.access(os.path.join(wine_dir(), "wine"), os.X_OK):
        raise HarnessError("cannot run the 32-bit build: no 32-bit Wine loader (wine32:i386)")


def wine(*args):
    """The command line that runs args (a program and its arguments) under Wine: Wine's
    32-bit loader for a 32-bit program, wine64 for anything else. One prefix serves both."""
    loader = "wine" if args and pe_machine(str(args[0])) == "i386" else "wine64"
    return [os.path.join(wine_dir(), loader)] + [str(a) for a in args]


def wineserver(*args):
    return [os.path.join(wine_dir(), "wineserver")] + [str(a) for a in args]


# Wine's own processes, which a prefix's server starts when it needs them and keeps: no test
# started them, so none of them is left behind by one.
WINE_SERVICES = ("wineserver", "services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe",
                 "rpcss.exe", "conhost.exe", "explorer.exe /desktop")


def windows_processes(prefix):
    """The processes running in a Wine prefix (a path), as {pid: command line}, without Wine's
    own services."""
    marker = b"\0WINEPREFIX=" + prefix.encode() + b"\0"
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as reader:
                environ = b"\0" + reader.read()
            with open("/proc/%s/cmdline" % entry, "rb") as reader:
                command = reader.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue  # ended meanwhile, or not ours to read
        command = " ".join(command.split())
        if marker in environ and not any(service in command for service in WINE_SERVICES):
            found[int(entry)] = command
    return found


def winpath(path):
    """A Linux path as Wine's Z: drive names it."""
    return "Z:" + path.replace("/", "\\")


class Display:
    """An Xvfb server on a display number it picks itself: a fixed one may be taken, or left
    locked by an earlier run."""

    def __init__(self, log_path, screen=SCREEN):
        read_end, write_end = os.pipe()
        with open(log_path, "w") as server_log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten",
                 "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=server_log)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self.close()
            with open(log_path, errors="replace") as reader:
                raise HarnessError("Xvfb did not start: " + reader.read().strip())
        self.name = ":" + number

    def close(self):
        if self.process is not None:
            self.process.kill()
            self.process.wait()
            self.process = None


def build_locale(folder):
    """A zh_CN.UTF-8 locale below folder, for LOCPATH; returns folder.

    Built for the run, so that no system locale needs installing: Wine takes the UI language
    from the process's locale.
    """
    os.makedirs(folder)
    result = subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8",
                             os.path.join(folder, "zh_CN.UTF-8")],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode > 1:  # 1: warnings only, the locale is written
        raise HarnessError("cannot build the zh_CN.UTF-8 locale: " + result.stderr.strip())
    return folder


def wine_env(display, prefix, home):
    env = dict(os.environ)
    # No Mono or Gecko: their installers would stop a fresh prefix with questions.
    env.update(DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree=;mshtml=", HOME=home, LC_ALL="en_US.UTF-8")
    return env


def run_wine(env, *args, timeout=60):
    """Runs a Wine command to its end; raises with its error output when it fails."""
    result = subprocess.run(wine(*args), env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=timeout)
    if result.returncode != 0:
        raise HarnessError("wine %s failed (exit %d): %s" % (
            " ".join(str(a) for a in args), result.returncode,
            result.stderr.decode("utf-8", "replace").strip()))


class Prefix:
    """A Wine prefix with a HOME of its own below folder, and the environment that uses both."""

    def __init__(self, folder, display):
        self.folder = folder
        self.prefix = os.path.join(folder, "prefix")
        self.home = os.path.join(folder, "home")
        self.drive_c = os.path.join(self.prefix, "drive_c")
        os.makedirs(self.home)
        self.env = wine_env(display, self.prefix, self.home)

    def boot(self, font_replacements=None):
        """Makes the prefix; font_replacements maps faces Wine lacks to ones it has."""
        subprocess.run(wine("wineboot", "-i"), env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        if not os.path.isdir(self.drive_c):
            raise HarnessError("wineboot made no prefix in " + self.prefix)
        for face, replacement in (font_replacements or {}).items():
            run_wine(self.env, "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v",
                     face, "/t", "REG_SZ", "/d", replacement, "/f")
        self.wait_server()

    def wait_server(self):
        # The registry reaches the files only when the prefix's server ends.
        subprocess.run(wineserver("-w"), env=self.env, timeout=120)

    def shutdown(self):
        subprocess.run(wineserver("-k"), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def copy_of(self, template):
        """Fills this prefix as a copy of the booted template's."""
        # The system folders are only read: hard links save copying most of the 700 MB.
        shared = {"system32", "syswow64"}
        os.makedirs(self.prefix)
        for entry in os.listdir(template.prefix):
            if entry != "drive_c":
                _copy(os.path.join(template.prefix, entry), self.prefix)
        os.makedirs(self.drive_c)
        for entry in os.listdir(template.drive_c):
            source = os.path.join(template.drive_c, entry)
            if entry == "windows":
                target = os.path.join(self.drive_c, "windows")
                os.makedirs(target)
                for part in os.listdir(source):
                    _copy(os.path.join(source, part), target, hard_links=part in shared)
            else:
                _copy(source, self.drive_c)
        # wineboot linked Documents, Desktop and the like to the template's HOME: each copy's
        # links go to its own HOME, or every class would share one filters.ini.
        users = os.path.join(self.drive_c, "users")
        for user in os.listdir(users):
            folder = os.path.join(users, user)
            for entry in os.listdir(folder):
                link = os.path.join(folder, entry)
                if os.path.islink(link) and os.readlink(link) == template.home:
                    os.remove(link)
                    os.symlink(self.home, link)
        return self

    def make_file(self, *parts):
        """An empty file below this prefix's C:, its folders made as needed; returns its path."""
        path = os.path.join(self.drive_c, *parts)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()
        return path

    @property
    def user_documents(self):
        # A link to this prefix's HOME (see copy_of), seen from inside the prefix.
        user = os.environ.get("USER") or pwd.getpwuid(os.getuid()).pw_name
        return os.path.join(self.drive_c, "users", user, "Documents")

    def language_env(self, language, locale, extra=None):
        """The environment for a program in language ("en" or "zh", with the locale folder
        that build_locale made), plus extra."""
        env = dict(self.env)
        if language == "zh":
            env.update(LOCPATH=locale, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
        env.update(extra or {})
        return env


def _copy(source, target, hard_links=False):
    result = subprocess.run(["cp", "-al" if hard_links else "-a", source, target],
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise HarnessError("cannot copy %s: %s" % (source, result.stderr.strip()))
