#!/usr/bin/env python3
"""Start-up, memory, CPU and hand-over figures of the vombrel player, and of other
players installed on the machine measured the same way.

Run it through bench/app_bench.sh, which starts the private X server and sound server of
the test environment and a D-Bus session (other players need one). Each player gets a
fresh user folder for every start.

  start to window   time from exec to the first visible top-level window of the
                    process (median of the runs); "cold" drops the page cache first
                    when the system allows it, "warm" follows right after another start
  idle RSS          resident memory 3 s after start without a file
  CPU playing       CPU time of the process while it plays a 70 s MP3 for 60 s
  hand-over         a second start with another file while the first plays one: time
                    from the second exec until the new file is heard at the sink
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
VOMBREL = os.environ.get("VOMBREL_BIN", os.path.join(HERE, "vombrel"))
RUNS = int(os.environ.get("BENCH_RUNS", "10"))
COLD_RUNS = int(os.environ.get("BENCH_COLD_RUNS", "3"))
PLAY_SECONDS = int(os.environ.get("BENCH_PLAY_SECONDS", "60"))


def tone(path, seconds, frequency):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"sine=frequency={frequency}:duration={seconds}", "-ac", "2", "-b:a", "128k", path],
                   check=True, stdin=subprocess.DEVNULL)


def visible_window(pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout.split()
    return out[0] if out else None


class Player:
    def __init__(self, name, command):
        self.name, self.command = name, command
        # Caches (the media framework's plug-in registry, fonts) persist across starts as
        # they do for a user; the settings folders are fresh for every start.
        self.cache = tempfile.mkdtemp(prefix=f"vombrel-bench-cache-{name}-")

    def start(self, arguments, home):
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_RUNTIME_DIR=os.path.join(home, "run"), XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CACHE_HOME=self.cache)
        for key in ("config", "run", "data"):
            os.makedirs(os.path.join(home, key), mode=0o700, exist_ok=True)
        return subprocess.Popen(self.command + arguments, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    @staticmethod
    def stop(process):
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def fresh_home():
    return tempfile.mkdtemp(prefix="vombrel-bench-")


def time_to_window(player, cold):
    if cold:
        try:
            subprocess.run(["sync"], check=False)
            with open("/proc/sys/vm/drop_caches", "w") as f:
                f.write("3\n")
        except OSError:
            return None
    home = fresh_home()
    t0 = time.monotonic()
    process = player.start([], home)
    shown = None
    while time.monotonic() - t0 < 30 and process.poll() is None:
        if visible_window(process.pid):
            shown = time.monotonic() - t0
            break
        time.sleep(0.005)
    Player.stop(process)
    shutil.rmtree(home, ignore_errors=True)
    return shown


def rss_kib(pid):
    total = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                total = int(line.split()[1])
    return total


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def wait_for_window(process, limit=30):
    t0 = time.monotonic()
    while time.monotonic() - t0 < limit and process.poll() is None:
        if visible_window(process.pid):
            return True
        time.sleep(0.05)
    return False


def idle_rss(player):
    home = fresh_home()
    process = player.start([], home)
    ok = wait_for_window(process)
    time.sleep(3)
    value = rss_kib(process.pid) if ok and process.poll() is None else None
    Player.stop(process)
    shutil.rmtree(home, ignore_errors=True)
    return value


def cpu_while_playing(player, mp3):
    home = fresh_home()
    process = player.start([mp3], home)
    if not wait_for_window(process):
        Player.stop(process)
        return None
    time.sleep(2)
    before = cpu_seconds(process.pid)
    time.sleep(PLAY_SECONDS)
    value = (cpu_seconds(process.pid) - before) if process.poll() is None else None
    rss = rss_kib(process.pid) if process.poll() is None else None
    Player.stop(process)
    shutil.rmtree(home, ignore_errors=True)
    return value, rss


def onset(raw, rate, frequency, after, until=None):
    """Seconds into the capture where `frequency` is first heard, from `after` on."""
    window = rate // 40
    samples = [int.from_bytes(raw[i:i + 2], "little", signed=True) for i in range(0, len(raw) - 1, 2)]
    start = max(0, int(after * rate))
    end = len(samples) - window if until is None else min(len(samples) - window, int(until * rate))
    for begin in range(start, end, window // 2):
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
            return begin / rate
    return None


def hand_over(player, low, high):
    home = fresh_home()
    first = player.start([low], home)
    results = []
    try:
        if not wait_for_window(first):
            return None
        time.sleep(2)
        for i in range(3):
            target, other = (high, 1500) if i % 2 == 0 else (low, 440)
            rate = 8000
            capture = subprocess.Popen(["parec", "--device=nullsink.monitor", "--raw", "--format=s16le",
                                        "--channels=1", f"--rate={rate}", "--latency-msec=10"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
            capture_start = time.monotonic() - 0.5
            t_second = time.monotonic()
            second = player.start([target], home)
            time.sleep(6)
            Player.stop(second)
            capture.send_signal(signal.SIGTERM)
            raw = capture.communicate()[0]
            after = t_second - capture_start
            # Only a switch counts: the new file must not have been playing already.
            already = onset(raw, rate, other, after - 0.3, after)
            heard = onset(raw, rate, other, after)
            if heard is not None and already is None:
                results.append(heard - (t_second - capture_start))
    finally:
        Player.stop(first)
        shutil.rmtree(home, ignore_errors=True)
    return statistics.median(results) if results else None


def fmt(value, unit, scale=1.0, digits=0):
    return "n/a" if value is None else f"{value * scale:.{digits}f} {unit}"


def main():
    media = tempfile.mkdtemp(prefix="vombrel-bench-media-")
    low, high, long_mp3 = (os.path.join(media, n) for n in ("low.mp3", "high.mp3", "long.mp3"))
    tone(low, 30, 440)
    tone(high, 30, 1500)
    tone(long_mp3, PLAY_SECONDS + 10, 440)
    players = [Player("vombrel", [VOMBREL])]
    for name in ("audacious", "qmmp"):
        if shutil.which(name):
            players.append(Player(name, [name]))
    rows = []
    for player in players:
        print(f"measuring {player.name} ...", file=sys.stderr)
        time_to_window(player, cold=False)  # one start to settle first-run files
        cold = [t for t in (time_to_window(player, cold=True) for _ in range(COLD_RUNS)) if t is not None]
        warm = [t for t in (time_to_window(player, cold=False) for _ in range(RUNS)) if t is not None]
        rss = idle_rss(player)
        playing = cpu_while_playing(player, long_mp3)
        handover = hand_over(player, low, high)
        rows.append((player.name,
                     fmt(statistics.median(cold) if cold else None, "ms", 1000),
                     fmt(statistics.median(warm) if warm else None, "ms", 1000),
                     fmt(rss, "MiB", 1 / 1024, 1),
                     fmt(playing[0] / PLAY_SECONDS if playing else None, "%", 100, 2),
                     fmt(playing[1] if playing else None, "MiB", 1 / 1024, 1),
                     fmt(handover, "ms", 1000)))
    header = ("player", f"cold start (median of {COLD_RUNS})", f"warm start (median of {RUNS})", "idle RSS",
              f"CPU playing MP3 ({PLAY_SECONDS} s)", "RSS playing", "hand-over to audible (median of 3)")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    for row in rows:
        print("| " + " | ".join(row) + " |")
    shutil.rmtree(media, ignore_errors=True)


if __name__ == "__main__":
    main()
