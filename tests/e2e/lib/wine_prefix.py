"""The Wine prefix of the end-to-end tests: made once per build tree (wineboot takes a while)
and reused; configured so that Wine draws window frames itself and shows Chinese text."""
import hashlib
import os
import shutil
import subprocess

WINE = os.environ.get("ZELVORN_WINE") or shutil.which("wine") or "wine"
WINESERVER = os.environ.get("ZELVORN_WINESERVER") or shutil.which("wineserver") or "wineserver"
WINE_FONTS = "/usr/share/wine/fonts"
CJK_FONT = "WenQuanYi Micro Hei"
UI_FACES = ["MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "SimSun", "宋体", "Microsoft Sans Serif", "MS Sans Serif",
            "Fixedsys"]

# Without a window manager Wine only draws captions and borders when it manages no window itself.
REGISTRY = "\r\n".join(
    ["Windows Registry Editor Version 5.00", "",
     r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Managed"="N"', "",
     r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
    + [f'"{face}"="{CJK_FONT}"' for face in UI_FACES] + ["", ""])

# Wine 8 takes the system DPI from here (win32u's LogPixels entry).
DPI_KEY = r"HKCU\Control Panel\Desktop"


def windows_path(path):
    """The Z: drive of a default prefix maps the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def _wine_version():
    try:
        return subprocess.run([WINE, "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    except (OSError, subprocess.TimeoutExpired):
        return "unknown"


class WinePrefix:
    def __init__(self, path, log_file):
        self.path = os.path.abspath(path)
        self.log = log_file  # a binary file that takes Wine's own output

    def env(self, display, locale):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "WINE")) and k != "LANG"}
        env.update(WINEPREFIX=self.path, WINEDEBUG="-all", DISPLAY=display, LANG=locale, LC_ALL=locale,
                   WINEARCH="win64")
        return env

    def _stamp(self):
        fonts = sorted(os.listdir(WINE_FONTS)) if os.path.isdir(WINE_FONTS) else []
        text = "\n".join([_wine_version(), REGISTRY, " ".join(fonts)])
        return hashlib.sha256(text.encode("utf-8")).hexdigest()

    def _stamp_path(self):
        return os.path.join(self.path, ".zelvorn-e2e-stamp")

    def run(self, args, display, locale, timeout=120, extra_env=None):
        env = self.env(display, locale)
        env.update(extra_env or {})
        subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                       timeout=timeout, check=True)

    def ensure(self, display, locale):
        """Creates the prefix unless an up-to-date one is there. Returns True when it was made."""
        stamp = self._stamp()
        try:
            with open(self._stamp_path()) as f:
                if f.read().strip() == stamp:
                    return False
        except OSError:
            pass
        self.kill_server()
        shutil.rmtree(self.path, ignore_errors=True)
        os.makedirs(self.path)
        # No Mono or Gecko installers: their dialogs would wait for a user.
        self.run([WINE, "wineboot", "-i"], display, locale, timeout=300, extra_env={"WINEDLLOVERRIDES": "mscoree,mshtml="})
        self.wait_server()
        reg_file = os.path.join(self.path, "zelvorn-e2e.reg")
        with open(reg_file, "w", encoding="utf-16", newline="") as f:
            f.write(REGISTRY)
        self.run([WINE, "regedit", "/S", windows_path(reg_file)], display, locale)
        fonts_dir = os.path.join(self.path, "drive_c", "windows", "Fonts")
        os.makedirs(fonts_dir, exist_ok=True)
        if os.path.isdir(WINE_FONTS):
            for name in os.listdir(WINE_FONTS):
                shutil.copy2(os.path.join(WINE_FONTS, name), fonts_dir)
        self.wait_server()
        self._write_dpi(96)
        with open(self._stamp_path(), "w") as f:
            f.write(stamp + "\n")
        return True

    def _dpi_path(self):
        return os.path.join(self.path, ".zelvorn-e2e-dpi")

    def _write_dpi(self, dpi):
        with open(self._dpi_path(), "w") as f:
            f.write(f"{dpi}\n")

    def set_dpi(self, dpi, display, locale, force=False):
        try:
            with open(self._dpi_path()) as f:
                if int(f.read().strip()) == dpi and not force:
                    return
        except (OSError, ValueError):
            pass
        # The running server keeps the value for the processes that follow, and saves it when it ends.
        self.run([WINE, "reg", "add", DPI_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                 display, locale)
        self._write_dpi(dpi)

    def wait_server(self):
        subprocess.run([WINESERVER, "-w"], env=self.env(":0", "C.UTF-8"), stdout=self.log, stderr=self.log,
                       timeout=120)

    def kill_server(self):
        if os.path.isdir(self.path):
            subprocess.run([WINESERVER, "-k"], env=self.env(":0", "C.UTF-8"), stdout=self.log, stderr=self.log,
                           timeout=60)
            # -k only signals the server; the next session must not meet the old one on its way out.
            self.wait_server()
