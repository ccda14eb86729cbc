"""A private sound server, as a desktop has one: dbus, pipewire, wireplumber, pipewire-pulse, in folders of
their own, one null sink ("heard") the default, reached by ALSA or PulseAudio; record() keeps its sound."""
import os, subprocess, time
from hear import RATE


class Server:
    def __init__(self, d):
        run, self.procs, self.rec, self.sink, self.home = d + "/run", [], None, d + "/sink.raw", d + "/game"
        os.makedirs(run, mode=0o700)
        os.makedirs(self.home)
        bus = "unix:path=%s/bus" % run
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, PIPEWIRE_RUNTIME_DIR=run, HOME=d, XDG_STATE_HOME=d,
                        XDG_CONFIG_HOME=d, PULSE_SERVER="unix:%s/pulse/native" % run,
                        DBUS_SESSION_BUS_ADDRESS=bus)
        for cmd, ready in ((["dbus-daemon", "--session", "--nofork", "--address=" + bus], "bus"),
                           (["pipewire"], "pipewire-0"), (["wireplumber"], "bus"),
                           (["pipewire-pulse"], "bus")):
            self.procs.append(subprocess.Popen(cmd, env=self.env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
            self.until(lambda: os.path.exists(run + "/" + ready), cmd[0])  # each on what came before it
        self.until(lambda: self.pactl("info").returncode == 0, "pipewire-pulse")
        self.pactl("load-module", "module-null-sink", "sink_name=heard")
        self.until(lambda: b"heard" in self.pactl("list", "short", "sinks").stdout, "the null sink")
        self.pactl("set-default-sink", "heard")

    def until(self, cond, what, timeout=10):
        end = time.monotonic() + timeout
        while not cond():
            if time.monotonic() > end or any(p.poll() is not None for p in self.procs):
                self.close()
                raise RuntimeError("the sound server did not come up: " + what)
            time.sleep(0.05)

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self.env, capture_output=True)

    def game_env(self):
        return dict({k: self.env[k] for k in ("XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "PULSE_SERVER")},
                    HOME=self.home, XDG_CONFIG_HOME=self.home + "/.config")

    def record(self):  # the sink, recorded from now on
        self.close(recording_only=True)
        with open(self.sink, "wb") as f:
            self.rec = subprocess.Popen(["parec", "-d", "heard.monitor", "--format=s16le", "--raw",
                                         "--channels=2", "--rate=%d" % RATE, "--latency-msec=20"],
                                        env=self.env, stdout=f)

    def close(self, recording_only=False):
        for p in ([self.rec] if self.rec else []) + ([] if recording_only else self.procs[::-1]):
            p.terminate()
            p.wait()
