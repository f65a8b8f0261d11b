#!/usr/bin/env python3
"""CPU and resident memory of the vombrel player while it plays a 640 x 360 video in its
video window and in full screen, and of other video players installed on the machine
measured the same way in the same run.

Run it through bench/video_bench.sh, which starts the private X server (1280 x 1024) and
sound server of the test environment. Each player plays the same file (H.264 and AAC in
a .mov by default; BENCH_VIDEO_CODEC=mpeg1 gives MPEG-1 with MPEG audio in a .mpg) with a
fresh user folder:

  CPU          CPU time of the player's process over BENCH_PLAY_SECONDS (default 20 s),
               from 2 s after the picture came, as a share of one core
  X server CPU the same for the X server, which puts the pictures on the screen
  RSS          resident memory of the player at the end of that time
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
VOMBREL = os.environ.get("VOMBREL_BIN", os.path.join(HERE, "vombrel"))
PLAY_SECONDS = int(os.environ.get("BENCH_PLAY_SECONDS", "20"))
CODEC = os.environ.get("BENCH_VIDEO_CODEC", "h264")


def make_video(folder, seconds):
    source = ["-f", "lavfi", "-i", f"testsrc2=size=640x360:rate=30:duration={seconds}",
              "-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}"]
    if CODEC == "mpeg1":
        path = os.path.join(folder, "bench.mpg")
        codec = ["-c:v", "mpeg1video", "-b:v", "2M", "-c:a", "mp2", "-f", "mpeg"]
    else:
        path = os.path.join(folder, "bench.mov")
        codec = ["-c:v", "libx264", "-preset", "fast", "-pix_fmt", "yuv420p", "-c:a", "aac"]
    subprocess.run(["ffmpeg", "-v", "error", "-y"] + source + codec + [path], check=True, stdin=subprocess.DEVNULL)
    return path


def windows_of(pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout.split()
    return out


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return {k: int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT")}


def screen_size():
    w, h = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True).stdout.split()
    return int(w), int(h)


def x_server_pid():
    number = os.environ["DISPLAY"].lstrip(":").split(".")[0]
    with open(f"/tmp/.X{number}-lock") as f:
        return int(f.read().strip())


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return None


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wait_for(condition, limit=20):
    t0 = time.monotonic()
    while time.monotonic() - t0 < limit:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return None


def start(command, home, extra_env=None):
    env = dict(os.environ)
    env.pop("QT_QPA_PLATFORM", None)
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "run"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    env.update(extra_env or {})
    for key in ("config", "run", "cache"):
        os.makedirs(os.path.join(home, key), mode=0o700, exist_ok=True)
    return subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def measure(process):
    """CPU share of the player and of the X server over the play time, and the RSS."""
    xserver = x_server_pid()
    time.sleep(2)
    before, x_before = cpu_seconds(process.pid), cpu_seconds(xserver)
    time.sleep(PLAY_SECONDS)
    if process.poll() is not None:
        return None
    return ((cpu_seconds(process.pid) - before) / PLAY_SECONDS, (cpu_seconds(xserver) - x_before) / PLAY_SECONDS,
            rss_kib(process.pid))


def vombrel_video_window(pid):
    for window in windows_of(pid):
        name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout.strip()
        if name == "Video":
            return window
    return None


def full_screen_shown(pid):
    width, height = screen_size()
    return any(geometry(w)["WIDTH"] == width and geometry(w)["HEIGHT"] == height for w in windows_of(pid))


def run_vombrel(video, full_screen):
    home = tempfile.mkdtemp(prefix="vombrel-video-bench-")
    process = start([VOMBREL, video], home)
    try:
        window = wait_for(lambda: vombrel_video_window(process.pid))
        if window is None:
            return None
        if full_screen:
            g = geometry(window)
            # The full-screen button: the sixth of the 15-pixel buttons at the bottom.
            subprocess.run(["xdotool", "mousemove", str(g["X"] + 1 + 16 * 5 + 8), str(g["Y"] + g["HEIGHT"] - 9),
                            "click", "1"])
            if not wait_for(lambda: full_screen_shown(process.pid)):
                return None
            subprocess.run(["xdotool", "mousemove", "640", "400"])
        return measure(process)
    finally:
        stop(process)
        shutil.rmtree(home, ignore_errors=True)


def run_other(command, full_screen, extra_env=None, finds_window=True):
    home = tempfile.mkdtemp(prefix="vombrel-video-bench-")
    process = start(command, home, extra_env)
    try:
        if full_screen:
            shown = wait_for(lambda: full_screen_shown(process.pid))
        elif finds_window:
            shown = wait_for(lambda: windows_of(process.pid))
        else:  # a window that does not name its process: give it the time to come
            time.sleep(3)
            shown = process.poll() is None
        return measure(process) if shown else None
    finally:
        stop(process)
        shutil.rmtree(home, ignore_errors=True)


def fmt(value, unit, scale=1.0, digits=0):
    return "n/a" if value is None else f"{value * scale:.{digits}f} {unit}"


def main():
    media = tempfile.mkdtemp(prefix="vombrel-video-bench-media-")
    video = make_video(media, PLAY_SECONDS + 30)
    width, height = screen_size()
    cases = [("vombrel", "window", lambda: run_vombrel(video, False)),
             ("vombrel", "full screen", lambda: run_vombrel(video, True))]
    # The media framework alone, with the sink it picks itself and with the plain X11 one:
    # what the program adds to it.
    if shutil.which("gst-launch-1.0"):
        uri = "file://" + video
        for sink in ("autovideosink", "ximagesink"):
            cases.append((f"gst-launch-1.0 playbin ({sink})", "own window",
                          lambda sink=sink: run_other(["gst-launch-1.0", "-q", "playbin", f"uri={uri}",
                                                       f"video-sink={sink}"], False, finds_window=False)))
    # mpv's GPU output does not start on the virtual X server; ffplay cannot go full
    # screen without a window manager.
    if shutil.which("mpv"):
        base = ["mpv", "--no-config", "--really-quiet", "--ao=pulse", "--vo=x11"]
        cases.append(("mpv --vo=x11", "window", lambda: run_other(base + [video], False)))
        cases.append(("mpv --vo=x11", "full screen", lambda: run_other(base + ["--fs", video], True)))
    if shutil.which("ffplay"):
        env = {"SDL_AUDIODRIVER": "pulseaudio"}
        cases.append(("ffplay", "window", lambda: run_other(["ffplay", "-loglevel", "quiet", video], False, env)))
    rows = []
    for name, mode, run in cases:
        print(f"measuring {name}, {mode} ...", file=sys.stderr)
        result = run()
        rows.append((name, mode, fmt(result[0] if result else None, "%", 100, 1),
                     fmt(result[1] if result else None, "%", 100, 1),
                     fmt(result[2] if result else None, "MiB", 1 / 1024, 1)))
    label = "H.264/AAC .mov" if CODEC != "mpeg1" else "MPEG-1 .mpg"
    print(f"640 x 360, 30 fps, {label}; screen {width} x {height}; {PLAY_SECONDS} s per row")
    header = ("player", "picture", "CPU (one core)", "X server CPU", "RSS")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for row in rows:
        print("| " + " | ".join(row) + " |")
    shutil.rmtree(media, ignore_errors=True)


if __name__ == "__main__":
    main()
