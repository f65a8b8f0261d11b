#!/usr/bin/env bash
# Sourced by the test command: a private X server, a private PulseAudio daemon with a
# null sink and a null source, and private user folders. Everything is torn down by
# vombrel_test_env_stop (installed as an EXIT trap by the caller).

vombrel_test_env_start() {
  export VOMBREL_TEST_ROOT
  VOMBREL_TEST_ROOT=$(mktemp -d /tmp/vombrel-test.XXXXXX)
  chmod 700 "$VOMBREL_TEST_ROOT"
  export HOME="$VOMBREL_TEST_ROOT/home" XDG_CONFIG_HOME="$VOMBREL_TEST_ROOT/home/.config"
  export XDG_RUNTIME_DIR="$VOMBREL_TEST_ROOT/run"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"

  # X server: the first free display number from 90 on. -noreset: an X server resets
  # when its last client leaves and refuses connections meanwhile; between two test
  # programs that would refuse the next one.
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$VOMBREL_TEST_ROOT/xvfb.log" 2>&1 &
  VOMBREL_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done

  # PulseAudio: a null sink and a null source, reachable only through our socket.
  export PULSE_RUNTIME_PATH="$VOMBREL_TEST_ROOT/pulse"
  mkdir -p "$PULSE_RUNTIME_PATH"; chmod 700 "$PULSE_RUNTIME_PATH"
  export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
  pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-null-source source_name=nullsrc" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
    >"$VOMBREL_TEST_ROOT/pulse.log" 2>&1 &
  VOMBREL_PULSE_PID=$!
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  pactl set-default-sink nullsink >/dev/null 2>&1 || true
  pactl set-default-source nullsink.monitor >/dev/null 2>&1 || true
  # The null sink stalls on the first sound after being idle: keep a silent stream open.
  pacat --playback --latency-msec=50 --device=nullsink /dev/zero >/dev/null 2>&1 &
  VOMBREL_KEEPALIVE_PID=$!
  # A short sink buffer: the end of a track reaches the player without a long tail.
  export VOMBREL_AUDIO_SINK="pulsesink device=nullsink buffer-time=50000"
  export QT_QPA_PLATFORM_FOR_UNIT_TESTS=offscreen
}

vombrel_test_env_stop() {
  kill "${VOMBREL_KEEPALIVE_PID:-}" "${VOMBREL_PULSE_PID:-}" "${VOMBREL_XVFB_PID:-}" 2>/dev/null || true
  wait 2>/dev/null || true
  [ -n "${VOMBREL_TEST_ROOT:-}" ] && rm -rf "$VOMBREL_TEST_ROOT"
}
