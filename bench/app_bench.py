#!/usr/bin/env python3
"""Start-up, first sound, memory, CPU and hand-over figures of the vombrel player, and of
other players installed on the machine (Audacious, qmmp) measured the same way in the same
run, with the ratio of vombrel to the first peer; then vombrel's own large-playlist start
and a track-change soak.

Run it through bench/app_bench.sh, which starts the private X server and sound server of
the test environment and a D-Bus session (other players need one). Every player keeps one
user folder for the whole run ("warm": the first start settles its first-run files); the
media framework's plug-in registry and font caches persist as they do for a user.

  start to window    exec to the first visible top-level window (median of --runs)
  start to sound     exec of a start with a file to the file's tone at the sink
                     (null sink monitor; median of --runs)
  RSS at 10 s        resident memory 10 s after a start with a file, playing
  CPU 10-40 s        CPU time of the process from 10 s to 10 s + --play-seconds, playing,
                     as a share of one core; wakeups are the context switches of all its
                     threads per second over the same span
  hand-over          a second start with another file while the first plays one: from the
                     second exec until the new file is heard (median of 3)
  second process     the same second start from exec to its exit (median of --second-runs,
                     20), less the same spawn and wait of /bin/true, which is printed
                     beside it; --second-only measures this and the start to window only
  memory by mapping  for every player, the resident memory at 10 s split into anonymous
                     kinds (main heap, other threads' malloc arenas, stacks, libraries'
                     written data, shared memory) and file-backed library groups
  floor (--floor)    the same MP3 in a bare Qt window with one label (vombrel-memory-floor):
                     without GStreamer, with a hand-built pipeline, with uridecodebin and
                     with playbin: the least these libraries take on this machine; and
                     the start to the window mapped of the bare window (median of --runs)
  large playlist     vombrel only: start to window with a 100,000-entry autosaved playlist
                     against a small one
  soak               vombrel only: a repeating playlist of six short files (MP3, Ogg, FLAC;
                     3 s each unless --soak-track-seconds says otherwise) played from track
                     to track; resident memory, open files and threads after a warm-up of
                     --soak-warmup-tracks changes and at the end, and the growth per track
                     change. --soak-tracks N counts N changes after the warm-up (each change
                     is seen on the program's MPRIS interface through playerctl); without
                     it the soak lasts --soak-seconds and the changes are estimated.
                     1,000 changes of 3-second files take about 60 minutes; with
                     --soak-track-seconds 0.5 about 17. --soak-only measures nothing else.
                     Example: vombrel-app-bench --soak-only --soak-tracks 1000 --soak-track-seconds 0.5
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
VOMBREL = os.environ.get("VOMBREL_BIN", os.path.join(HERE, "vombrel"))
FLOOR = os.path.join(HERE, "vombrel-memory-floor")
FLOOR_MODES = [("window", "a Qt window with one label"),
               ("pipeline", "+ GStreamer, an MP3 pipeline built by hand"),
               ("decodebin", "+ GStreamer, the same behind uridecodebin"),
               ("playbin", "+ GStreamer, playbin with audio only")]
CAPTURE_RATE = 8000


def arguments():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=int(os.environ.get("BENCH_RUNS", "3")))
    parser.add_argument("--play-seconds", type=int, default=int(os.environ.get("BENCH_PLAY_SECONDS", "30")),
                        help="span of the CPU figure after the first 10 s (30: 10-40 s)")
    parser.add_argument("--soak-seconds", type=int, default=int(os.environ.get("BENCH_SOAK_SECONDS", "120")),
                        help="without --soak-tracks: the soak's span after its warm-up (0 leaves the soak out)")
    parser.add_argument("--soak-tracks", type=int, default=int(os.environ.get("BENCH_SOAK_TRACKS", "0")),
                        help="track changes to count after the warm-up (0: --soak-seconds decides)")
    parser.add_argument("--soak-track-seconds", type=float, default=3.0,
                        help="length of each soak file (3; 0.5 reaches 1,000 changes in about 17 minutes)")
    parser.add_argument("--soak-warmup-tracks", type=int, default=20,
                        help="track changes before the first memory figure")
    parser.add_argument("--soak-only", action="store_true", help="only the soak")
    parser.add_argument("--second-runs", type=int, default=20,
                        help="second starts timed from exec to exit (20)")
    parser.add_argument("--second-only", action="store_true",
                        help="only the second process's exec to exit and the start to window")
    parser.add_argument("--playlist-entries", type=int, default=100000)
    parser.add_argument("--players", default="vombrel,audacious,qmmp",
                        help="comma-separated; peers not installed are left out")
    parser.add_argument("--floor", action="store_true",
                        help="also the resident memory of a bare Qt window with and without GStreamer playing "
                             "the same MP3 (vombrel-memory-floor), the least these libraries take")
    parser.add_argument("--quick", action="store_true", help="1 run, 10 s of CPU, 30 s of soak")
    options = parser.parse_args()
    if options.quick:
        options.runs, options.play_seconds, options.soak_seconds = 1, 10, 30
    return options


def tone(path, seconds, frequency, codec_options=("-b:a", "128k")):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"sine=frequency={frequency}:duration={seconds}", "-ac", "2", *codec_options, path],
                   check=True, stdin=subprocess.DEVNULL)


def visible_window(pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout.split()
    return out[0] if out else None


class Player:
    def __init__(self, name, command):
        self.name, self.command = name, command
        self.home = tempfile.mkdtemp(prefix=f"vombrel-bench-{name}-")
        for key in ("config", "run", "data", "cache"):
            os.makedirs(os.path.join(self.home, key), mode=0o700, exist_ok=True)

    def config_dir(self):
        return os.path.join(self.home, "config")

    def start(self, arguments):
        return subprocess.Popen(self.command + arguments, env=self.environment(), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def environment(self):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        # Every player gets the system's default sink, not the test's short-buffer one.
        env.pop("VOMBREL_AUDIO_SINK", None)
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                   XDG_RUNTIME_DIR=os.path.join(self.home, "run"), XDG_DATA_HOME=os.path.join(self.home, "data"),
                   XDG_CACHE_HOME=os.path.join(self.home, "cache"))
        return env

    @staticmethod
    def stop(process):
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        time.sleep(0.3)  # the single-instance lock and the sound stream are gone

    def cleanup(self):
        shutil.rmtree(self.home, ignore_errors=True)


def time_to_window(player, arguments=()):
    t0 = time.monotonic()
    process = player.start(list(arguments))
    shown = None
    while time.monotonic() - t0 < 30 and process.poll() is None:
        if visible_window(process.pid):
            shown = time.monotonic() - t0
            break
        time.sleep(0.002)
    Player.stop(process)
    return shown


def wait_for_window(process, limit=30):
    t0 = time.monotonic()
    while time.monotonic() - t0 < limit and process.poll() is None:
        if visible_window(process.pid):
            return True
        time.sleep(0.05)
    return False


def status_kib(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def context_switches(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if "ctxt_switches" in line:
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


MAPPING_GROUPS = [  # (group, test on the mapped file's path and name), first match wins
    ("Qt libraries and plug-ins", lambda p, n: n.startswith(("libQt6", "libQt5")) or "/qt6/plugins/" in p),
    ("GStreamer plug-ins", lambda p, n: "/gstreamer-1.0/" in p),
    ("GStreamer libraries", lambda p, n: n.startswith(("libgst", "liborc"))),
    ("C and C++ runtime", lambda p, n: n.split(".so")[0] in ("libc", "libstdc++", "libm", "libgcc_s", "ld-linux-x86-64")),
    ("ICU", lambda p, n: n.startswith("libicu")),
    ("GLib, GObject, GIO", lambda p, n: n.split("-2.0")[0] in ("libglib", "libgobject", "libgio", "libgmodule")),
    ("X11, xcb, GL", lambda p, n: n.startswith(("libX", "libxcb", "libxkb", "libGL", "libEGL", "libOpenGL", "libICE",
                                                 "libSM"))),
    ("fonts and text shaping", lambda p, n: any(k in p for k in ("freetype", "harfbuzz", "fontconfig", "graphite",
                                                                 "/fonts/"))),
    ("PulseAudio and its codecs", lambda p, n: any(k in n for k in ("pulse", "sndfile", "FLAC", "vorbis", "libogg",
                                                                    "opus", "mp3lame", "mpg123", "asyncns"))),
]


def smaps_breakdown(pid):
    """Resident KiB of the process by kind of mapping: anonymous memory split into the main
    heap, the malloc arenas of other threads, thread stacks, libraries' written data and the
    rest; file-backed pages by group and by file."""
    regions = []  # [name, size KiB, permissions, {field: KiB}]
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if fields and "-" in fields[0] and not fields[0].endswith(":"):
                low, high = (int(x, 16) for x in fields[0].split("-"))
                regions.append([fields[5] if len(fields) > 5 else "", (high - low) // 1024, fields[1], {}])
            elif fields and fields[0].endswith(":") and len(fields) == 3 and regions:
                regions[-1][3][fields[0][:-1]] = int(fields[1])
    anonymous, files, groups = {}, {}, {}
    program = os.path.realpath(f"/proc/{pid}/exe")
    for i, (name, size, permissions, values) in enumerate(regions):
        rss = values.get("Rss", 0)
        previous = regions[i - 1] if i else None
        following = regions[i + 1] if i + 1 < len(regions) else None
        if name.startswith("/") and not name.startswith("/memfd:"):
            label = os.path.basename(name)
            anon = values.get("Anonymous", 0)
            anonymous["libraries' written data"] = anonymous.get("libraries' written data", 0) + anon
            files[label] = files.get(label, 0) + rss - anon
            group = "the program" if name == program else next(
                (g for g, test in MAPPING_GROUPS if test(name, label)), "other libraries and files")
            groups[group] = groups.get(group, 0) + rss - anon
            continue
        if name == "[heap]":
            kind = "main heap"
        elif name == "[stack]":
            kind = "thread stacks"
        elif name.startswith("/memfd:") or name.startswith("/SYSV") or "s" in permissions:
            kind = "shared memory (sound server, X server)"
        elif name == "" and following and following[0] == "" and following[2] == "---p" and \
                size + following[1] == 65536:
            kind = "malloc arenas of other threads"
        elif name == "" and previous and previous[2] == "---p" and previous[1] == 4:
            kind = "thread stacks"
        else:
            kind = "other anonymous"
        anonymous[kind] = anonymous.get(kind, 0) + rss
    return anonymous, groups, files


def report_memory(name, breakdown, top=15):
    anonymous, groups, files = breakdown
    print(f"\n{name}: resident memory at 10 s by mapping (KiB): anonymous {sum(anonymous.values())}, "
          f"file-backed {sum(groups.values())}")
    for kind, kib in sorted(anonymous.items(), key=lambda item: -item[1]):
        print(f"  anonymous  {kib:6d}  {kind}")
    for group, kib in sorted(groups.items(), key=lambda item: -item[1]):
        print(f"  file       {kib:6d}  {group}")
    print("  largest files: " + ", ".join(f"{label} {kib}" for label, kib in
                                          sorted(files.items(), key=lambda item: -item[1])[:top]))


class Capture:
    """The null sink's monitor recorded as 8 kHz mono; sample times from the end of the
    recording, so the recorder's own start-up delay does not count."""

    def __init__(self):
        self.process = subprocess.Popen(["parec", "--device=nullsink.monitor", "--raw", "--format=s16le",
                                         "--channels=1", f"--rate={CAPTURE_RATE}", "--latency-msec=10"],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def finish(self):
        end = time.monotonic()
        self.process.send_signal(signal.SIGTERM)
        raw = self.process.communicate()[0]
        self.start = end - (len(raw) // 2) / CAPTURE_RATE
        return raw


def onset(raw, rate, frequency, after, until=None):
    """Seconds into the capture where `frequency` is first heard, from `after` on."""
    window = rate // 40
    samples = [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw) - 1, 2)]
    start = max(0, int(after * rate))
    end = len(samples) - window if until is None else min(len(samples) - window, int(until * rate))
    step = window // 5
    for begin in range(start, end, step):
        chunk = samples[begin:begin + window]
        if max(abs(s) for s in chunk) < 1000:
            continue
        sign, crossings = 0, 0
        for s in chunk:
            now = 1 if s > 300 else -1 if s < -300 else 0
            if now and sign and now != sign:
                crossings += 1
            if now:
                sign = now
        heard = crossings / 2 / (window / rate)
        if abs(heard - frequency) < frequency * 0.15:
            # The first loud sample of this window is where the sound begins.
            for offset, s in enumerate(chunk):
                if abs(s) >= 1000:
                    return (begin + offset) / rate
            return begin / rate
    return None


def time_to_sound(player, mp3, frequency):
    capture = Capture()
    t_exec = time.monotonic()
    process = player.start([mp3])
    time.sleep(3)
    raw = capture.finish()
    Player.stop(process)
    heard = onset(raw, CAPTURE_RATE, frequency, t_exec - capture.start)
    return None if heard is None else heard - (t_exec - capture.start)


def while_playing(player, mp3, play_seconds):
    """RSS at 10 s, CPU share and wakeups per second from 10 s on, threads, and the
    resident memory by mapping at 10 s."""
    t0 = time.monotonic()
    process = player.start([mp3])
    if not wait_for_window(process):
        Player.stop(process)
        return None
    time.sleep(max(0.0, 10 - (time.monotonic() - t0)))
    if process.poll() is not None:
        return None
    pid = process.pid
    rss = status_kib(pid, "VmRSS")
    mappings = smaps_breakdown(pid)
    cpu0, switches0, t10 = cpu_seconds(pid), context_switches(pid), time.monotonic()
    time.sleep(play_seconds)
    if process.poll() is not None:
        return None
    span = time.monotonic() - t10
    result = dict(rss=rss, cpu=(cpu_seconds(pid) - cpu0) / span,
                  wakeups=(context_switches(pid) - switches0) / span,
                  threads=len(os.listdir(f"/proc/{pid}/task")), mappings=mappings)
    Player.stop(process)
    return result


def hand_over(player, low, high):
    first = player.start([low])
    results = []
    try:
        if not wait_for_window(first):
            return None
        time.sleep(2)
        for i in range(3):
            target, frequency = (high, 1500) if i % 2 == 0 else (low, 440)
            capture = Capture()
            t_second = time.monotonic()
            second = player.start([target])
            time.sleep(3)
            raw = capture.finish()
            Player.stop(second)
            after = t_second - capture.start
            # Only a switch counts: the new file must not have been playing already.
            already = onset(raw, CAPTURE_RATE, frequency, after - 0.3, after)
            heard = onset(raw, CAPTURE_RATE, frequency, after)
            if heard is not None and already is None:
                results.append(heard - after)
    finally:
        Player.stop(first)
    return statistics.median(results) if results else None


def spawn_and_wait(command, env=None):
    """Seconds from just before the spawn to the reaped exit of a process."""
    t0 = time.monotonic()
    subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - t0


def second_process(player, media, runs):
    """Median exec → exit of a second start that hands a file over, less the spawn and wait
    of /bin/true measured the same way; (net, overhead). The second starts alternate two
    files while the first instance runs."""
    first = player.start([os.path.join(media, "low.mp3")])
    try:
        if not wait_for_window(first):
            return None, None
        time.sleep(1)
        env = player.environment()
        files = [os.path.join(media, n) for n in ("high.mp3", "low.mp3")]
        spans = [spawn_and_wait(player.command + [files[i % 2]], env) for i in range(runs)]
        overhead = statistics.median(spawn_and_wait(["/bin/true"], env) for _ in range(runs))
    finally:
        Player.stop(first)
    return statistics.median(spans) - overhead, overhead


def vombrel_user_dir(player):
    folder = os.path.join(player.config_dir(), "vombrel")
    os.makedirs(folder, exist_ok=True)
    return folder


def large_playlist(player, media, entries, runs):
    """Start to window with a small and with a large autosaved playlist (ms, ms)."""
    autosave = os.path.join(vombrel_user_dir(player), "Playlist.vpl")
    figures = []
    for count in (10, entries):
        with open(autosave, "wb") as f:
            f.write(b"".join(f"{media}/track {i:06d}.mp3\r\n".encode() for i in range(count)))
        time_to_window(player)  # settles the file into the page cache
        times = [t for t in (time_to_window(player) for _ in range(runs)) if t is not None]
        figures.append(statistics.median(times) if times else None)
    os.remove(autosave)
    return figures


class TrackChanges:
    """Counts the track changes of the running vombrel from its MPRIS metadata (the file's
    address changes with every track); None when playerctl is not installed."""

    def __init__(self):
        self.count, self.process = 0, None
        if shutil.which("playerctl"):
            self.process = subprocess.Popen(["playerctl", "--player=vombrel", "--follow", "metadata", "--format",
                                             "{{xesam:url}}"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                            text=True)
            threading.Thread(target=self._follow, daemon=True).start()

    def _follow(self):
        last = None
        for line in self.process.stdout:
            line = line.strip()
            if line and line != last:
                self.count += 1
            last = line or last

    def wait_for(self, count, limit, alive):
        t0 = time.monotonic()
        while self.count < count and time.monotonic() - t0 < limit and alive():
            time.sleep(0.05)
        return self.count >= count

    def close(self):
        if self.process:
            self.process.terminate()
            self.process.wait()


def soak(player, media, options):
    """RSS (KiB), open files and threads after the warm-up and at the end, the number of
    track changes between them, and whether that number was counted or estimated."""
    seconds_per_track = options.soak_track_seconds
    files = []
    for i, (extension, codec) in enumerate([("mp3", ("-b:a", "128k")), ("ogg", ("-c:a", "libvorbis")),
                                            ("flac", ("-c:a", "flac"))] * 2):
        path = os.path.join(media, f"soak{i}.{extension}")
        tone(path, seconds_per_track, 300 + 100 * i, codec)
        files.append(path)
    playlist = os.path.join(media, "soak.m3u")
    with open(playlist, "w") as f:
        f.write("\r\n".join(files) + "\r\n")
    process = player.start([playlist])
    changes = TrackChanges()
    try:
        if not wait_for_window(process):
            return None
        pid = process.pid
        alive = lambda: process.poll() is None

        def sample():
            return (status_kib(pid, "VmRSS"), len(os.listdir(f"/proc/{pid}/fd")),
                    len(os.listdir(f"/proc/{pid}/task")))

        # A change takes the file's length and an open of a few tens of milliseconds.
        guard = lambda n: 30 + 3 * n * (seconds_per_track + 0.5)
        warm = options.soak_warmup_tracks
        counted = changes.process is not None and changes.wait_for(warm, guard(warm), alive)
        if not counted:
            time.sleep(max(0.0, warm * seconds_per_track - 10))
        if not alive():
            return None
        first, start_count, t_first = sample(), changes.count, time.monotonic()
        if counted and options.soak_tracks > 0:
            counted = changes.wait_for(start_count + options.soak_tracks, guard(options.soak_tracks), alive)
        else:
            total = options.soak_tracks * seconds_per_track if options.soak_tracks > 0 else options.soak_seconds
            time.sleep(max(0.0, total - (time.monotonic() - t_first)))
        if not alive():
            return None
        last = sample()
        span = time.monotonic() - t_first
        number = changes.count - start_count if counted else span / seconds_per_track
        return first, last, number, counted, span
    finally:
        changes.close()
        Player.stop(process)


def report_soak(outcome, options):
    if not outcome:
        print("vombrel soak: n/a (the player ended early)")
        return
    (rss0, fd0, th0), (rss1, fd1, th1), changes, counted, span = outcome
    how = "counted" if counted else "estimated from the time"
    print(f"vombrel soak ({options.soak_track_seconds:g}-second files, warm-up {options.soak_warmup_tracks} changes): "
          f"RSS {rss0 / 1024:.1f} → {rss1 / 1024:.1f} MiB ({(rss1 - rss0):+d} KiB) over {changes:.0f} track changes "
          f"({how}, {span / 60:.1f} min): {(rss1 - rss0) / max(changes, 1):.2f} KiB per change; "
          f"open files {fd0} → {fd1}, threads {th0} → {th1}")


def report_floor(media, options):
    """The least the libraries take: RSS at 10 s of the floor program in each mode (median of
    --runs), with its anonymous and file-backed parts."""
    window = Player("floor-window", [FLOOR, "window"])
    shown = median(time_to_window(window) for _ in range(options.runs))
    window.cleanup()
    print(f"\nfloor: start → window mapped, a bare Qt window with one label: {fmt(shown, 'ms', 1000)}")
    print("floor: resident memory at 10 s, playing the same MP3 (MiB; anonymous + file-backed)")
    for mode, caption in FLOOR_MODES:
        player = Player(f"floor-{mode}", [FLOOR, mode])
        samples = [while_playing(player, os.path.join(media, "long.mp3"), 1) for _ in range(options.runs)]
        samples = sorted((s for s in samples if s), key=lambda s: s["rss"])
        player.cleanup()
        if not samples:
            print(f"  {caption}: n/a")
            continue
        middle = samples[len(samples) // 2]
        anonymous, groups, _ = middle["mappings"]
        print(f"  {middle['rss'] / 1024:5.1f}  ({sum(anonymous.values()) / 1024:.1f} + {sum(groups.values()) / 1024:.1f})"
              f"  {caption}")


def fmt(value, unit, scale=1.0, digits=0):
    return "n/a" if value is None else f"{value * scale:.{digits}f} {unit}"


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def measure(player, media, options):
    low, high, long_mp3 = (os.path.join(media, n) for n in ("low.mp3", "high.mp3", "long.mp3"))
    print(f"measuring {player.name} ...", file=sys.stderr)
    time_to_window(player)  # settles the first-run files of the user folder
    figures = {"window": median(time_to_window(player) for _ in range(options.runs)),
               "sound": median(time_to_sound(player, low, 440) for _ in range(options.runs))}
    playing = while_playing(player, long_mp3, options.play_seconds)
    figures.update(playing or {})
    figures["handover"] = hand_over(player, low, high)
    figures["second"], figures["spawn"] = second_process(player, media, options.second_runs)
    return figures


def measure_second_only(player, media, options):
    print(f"measuring {player.name} ...", file=sys.stderr)
    time_to_window(player)
    figures = {"window": median(time_to_window(player) for _ in range(options.runs))}
    figures["second"], figures["spawn"] = second_process(player, media, options.second_runs)
    return figures


def main():
    options = arguments()
    media = tempfile.mkdtemp(prefix="vombrel-bench-media-")
    tone(os.path.join(media, "low.mp3"), 60, 440)
    tone(os.path.join(media, "high.mp3"), 60, 1500)
    tone(os.path.join(media, "long.mp3"), options.play_seconds + 20, 440)
    players = []
    for name in options.players.split(","):
        if name == "vombrel":
            players.append(Player("vombrel", [VOMBREL]))
        elif shutil.which(name):
            players.append(Player(name, [name]))
    if options.soak_only:
        vombrel = next((p for p in players if p.name == "vombrel"), None)
        if vombrel:
            report_soak(soak(vombrel, media, options), options)
        for player in players:
            player.cleanup()
        shutil.rmtree(media, ignore_errors=True)
        return
    if options.second_only:
        for player in players:
            figures = measure_second_only(player, media, options)
            print(f"{player.name}: start → window {fmt(figures['window'], 'ms', 1000, 1)} (median of {options.runs}), "
                  f"second process exec → exit {fmt(figures['second'], 'ms', 1000, 1)} (median of "
                  f"{options.second_runs}; spawn and wait of /bin/true {fmt(figures['spawn'], 'ms', 1000, 1)} "
                  "subtracted)")
            player.cleanup()
        shutil.rmtree(media, ignore_errors=True)
        return
    results = [(player, measure(player, media, options)) for player in players]

    rows = [("program start → first window mapped", "window", "ms", 1000, 0),
            ("program start → sound at the sink", "sound", "ms", 1000, 0),
            ("resident memory at 10 s, playing", "rss", "MiB", 1 / 1024, 1),
            (f"CPU while playing (10–{10 + options.play_seconds} s)", "cpu", "%", 100, 2),
            ("wakeups per second while playing", "wakeups", "/s", 1, 0),
            ("threads while playing", "threads", "", 1, 0),
            ("hand-over: second start → new file audible", "handover", "ms", 1000, 0),
            ("hand-over: second process exec → exit", "second", "ms", 1000, 1)]
    names = [player.name for player, _ in results]
    reference = results[1] if len(results) > 1 and results[0][0].name == "vombrel" else None
    header = ["figure", *names] + ([f"vombrel / {reference[0].name}"] if reference else [])
    print(f"\nmedians of {options.runs} where several runs are made\n")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for caption, key, unit, scale, digits in rows:
        cells = [fmt(figures.get(key), unit, scale, digits).strip() for _, figures in results]
        if reference:
            mine, theirs = results[0][1].get(key), reference[1].get(key)
            cells.append(f"{mine / theirs:.2f}" if mine is not None and theirs else "n/a")
        print("| " + " | ".join([caption, *cells]) + " |")

    for player, figures in results:
        if figures.get("mappings"):
            report_memory(player.name, figures["mappings"])

    if options.floor and os.path.exists(FLOOR):
        report_floor(media, options)

    vombrel = next((p for p in players if p.name == "vombrel"), None)
    if vombrel:
        small, large = large_playlist(vombrel, media, options.playlist_entries, options.runs)
        print(f"\nvombrel start → window: small autosaved playlist {fmt(small, 'ms', 1000)}, "
              f"{options.playlist_entries} entries {fmt(large, 'ms', 1000)}")
        if options.soak_tracks > 0 or options.soak_seconds > 0:
            report_soak(soak(vombrel, media, options), options)
    for player in players:
        player.cleanup()
    shutil.rmtree(media, ignore_errors=True)


if __name__ == "__main__":
    main()
