"""The web build as a game process, in an engine Debian ships ($JUNKFALL_ENGINE): Chromium, Firefox ESR or
WebKitGTK's MiniBrowser. The page comes from a server on 127.0.0.1 (a thread of the tests'); the browser, in
a profile of its own, shows it full screen; a click on the page starts the game, as a player's does (which
lets it play sound). The game's status is what the page logs when it ends (each engine writes the console
to its output); its mix comes through the sound tap. On a device (width, height) the page is a touch-only
phone's or tablet's in a headless browser driven by its protocol: DevTools (Chromium), WebDriver BiDi."""
import base64, functools, glob, http.server, io, json, os, pathlib, re, subprocess, tempfile, threading, time
import urllib.request
import websocket
import PIL.Image

ENGINE = os.environ.get("JUNKFALL_ENGINE", "chromium")
W, H = 800, 600
WEBKIT = (glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser") + ["MiniBrowser"])[0]
FIREFOX_PREFS = {"devtools.console.stdout.content": True, "media.autoplay.default": 0}  # console on stdout


class Site(http.server.SimpleHTTPRequestHandler):
    """The web build's folder (unless offline), and the page's sound tap: POST /tap?at=N writes a piece of
    its mix at byte N."""
    def do_GET(self):  # nothing at all while the network is gone
        self.server.offline or super().do_GET()

    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        fd = os.open(self.server.mix, os.O_WRONLY | os.O_CREAT)
        os.pwrite(fd, body, int(self.path.split("?at=")[1]))
        os.close(fd)
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


def command(profile, url, device):
    """The engine's command line: full screen on the display, or headless for a touch device."""
    if ENGINE == "firefox":
        pathlib.Path(profile, "user.js").write_text("".join(
            "user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v)) for k, v in FIREFOX_PREFS.items()))
        how = ["--headless", "--remote-debugging-port=0", "--width=%d" % device[0],
               "--height=%d" % device[1], "about:blank"] if device else ["--kiosk", url]
        return ["firefox-esr", "--no-remote", "--profile", profile, *how]
    if ENGINE == "webkit":
        return [WEBKIT, "--full-screen", "--autoplay-policy=allow", "--enable-developer-extras=true",
                "--enable-write-console-messages-to-stdout=true", url]
    how = ["--headless=new", "--remote-debugging-port=0", "about:blank"] if device else \
        ["--kiosk", "--window-position=0,0", "--window-size=%d,%d" % (W + 1, H + 1), url]
    return ["chromium", "--no-sandbox", "--user-data-dir=" + profile, "--no-first-run", "--noerrdialogs",
            "--password-store=basic", "--enable-logging=stderr", "--v=0", *how]


class Page:
    server = None
    SLOW = 1
    TAP = "/tap"  # where the page posts its mix for the tests (none: nowhere)

    def __init__(self, cmd, env, stdout, stderr, mix, device=None):
        if not Page.server:  # one for the tests' run, ended with it
            site = functools.partial(Site, directory=os.path.dirname(os.path.abspath(cmd[0])))
            Page.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), site)
            threading.Thread(target=Page.server.serve_forever, daemon=True).start()
        Page.server.mix, Page.server.offline = mix, False
        profile, self.out = tempfile.mkdtemp(dir=env["HOME"]), stdout.name
        url = "http://127.0.0.1:%d/%s%s" % (Page.server.server_port, os.path.basename(cmd[0]),
                                            "?tap=" + self.TAP if self.TAP else "")
        self.browser = subprocess.Popen(command(profile, url, device), env=env, stdout=stdout, stderr=stderr)
        self.pid, self.device, self.env = self.browser.pid, device, env
        try:
            end = time.monotonic() + 30
            device and (self.bidi if ENGINE == "firefox" else self.devtools)(device, url, end)
            self.begin()
        except BaseException:  # no browser left behind by a page that never came
            self.kill()
            raise

    def begin(self, times=1):  # the page's start clicked or tapped once, when it is ready; the game starts
        for what in ("ready", "started"):
            end = time.monotonic() + 30 * self.SLOW
            seen = lambda: self.log().count("junkfall: " + what) >= times
            while not seen() and self.poll() is None and time.monotonic() < end:
                time.sleep(0.02)
            if not seen():
                raise AssertionError("the page not %s (its start clicked once, when it was ready)" % what)
            if what == "ready" and self.device:
                self.tap(*self.box("start")[:2], page=True)
            elif what == "ready":  # with no window manager the window is set to fill the screen (Chromium
                # keeps one a pixel short of a screen it would fill; one a pixel over can be set to it)
                click = ["search", "--sync", "--onlyvisible", "--name", "^Junkfall",
                         "windowsize", "--sync", "%@", W, H, "windowmove", "--sync", "%@", 0, 0,
                         "mousemove", "--sync", W // 2, H // 2, "sleep", 0.2, "click", 1]
                subprocess.run([str(a) for a in ["xdotool"] + click], env=self.env, check=True, timeout=30)

    def devtools(self, device, url, end):  # the page's connection, the device emulated, the page opened
        while not re.search(r"DevTools listening on (ws://\S+)", self.log()) and time.monotonic() < end:
            time.sleep(0.05)
        port = re.search(r"ws://127.0.0.1:(\d+)/", self.log())[1]
        pages = json.loads(urllib.request.urlopen("http://127.0.0.1:%s/json" % port).read())
        self.ws, self.sent = websocket.create_connection(next(
            t["webSocketDebuggerUrl"] for t in pages if t["type"] == "page"), suppress_origin=True), 0
        self.call("Emulation.setDeviceMetricsOverride", width=device[0], height=device[1],
                  deviceScaleFactor=1, mobile=True)
        self.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.call("Page.navigate", url=url)

    def bidi(self, device, url, end):  # Firefox's: a session, its tab at the device's size, the page opened
        while not re.search(r"WebDriver BiDi listening on (ws://\S+)", self.log()) and time.monotonic() < end:
            time.sleep(0.05)
        bidi = re.search(r"listening on (ws://\S+)", self.log())[1] + "/session"
        self.ws, self.sent = websocket.create_connection(bidi, suppress_origin=True), 0
        self.call("session.new", capabilities={})
        self.tab = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("browsingContext.setViewport", context=self.tab, viewport=dict(width=device[0],
                                                                                  height=device[1]))
        self.call("browsingContext.navigate", context=self.tab, url=url, wait="complete")

    def call(self, method, **params):  # a protocol command's result
        self.sent += 1
        self.ws.send(json.dumps(dict(id=self.sent, method=method, params=params)))
        while (answer := json.loads(self.ws.recv())).get("id") != self.sent:
            pass
        if "error" in answer:
            raise RuntimeError("%s: %s" % (method, answer))
        return answer["result"]

    def js(self, expression, wait=False):  # its value; with wait, the value of the promise it gives
        if ENGINE == "firefox":
            return self.call("script.evaluate", expression=expression, awaitPromise=wait,
                             target=dict(context=self.tab))["result"].get("value")
        return self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                         awaitPromise=wait)["result"].get("value")

    def box(self, element):  # an element's centre, and its edges, on the page
        return json.loads(self.js("(r => JSON.stringify([r.x + r.width / 2, r.y + r.height / 2, r.left, "
                                  "r.top, r.right, r.bottom]))(document.getElementById('%s')"
                                  ".getBoundingClientRect())" % element))

    def tap(self, x, y, page=False, mouse=False):
        """A finger (or the left button) down and up at once, at (x, y) of the canvas or the page; where on
        the canvas it lands (Firefox's touches fall on whole pixels of the page)."""
        if not page:
            left, top, right, bottom = self.box("screen")[2:]
            x, y = left + (x + 0.5) * (right - left) / W, top + (y + 0.5) * (bottom - top) / H
        if ENGINE == "firefox":
            x, y = round(x), round(y)
            self.call("input.performActions", context=self.tab, actions=[dict(
                type="pointer", id="mouse" if mouse else "finger",
                parameters=dict(pointerType="mouse" if mouse else "touch"), actions=[
                    dict(type="pointerMove", x=x, y=y), dict(type="pointerDown", button=0),
                    dict(type="pointerUp", button=0)])])
        elif mouse:
            for kind in ("mousePressed", "mouseReleased"):
                self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
        else:
            for kind, points in (("touchStart", [dict(x=x, y=y)]), ("touchEnd", [])):
                self.call("Input.dispatchTouchEvent", type=kind, touchPoints=points)
        return None if page else (int((x - left) * W / (right - left)), int((y - top) * H / (bottom - top)))

    def hide(self, hidden):  # another tab opened in front of the page, as a player turns to one; or closed
        if ENGINE == "firefox":
            self.other = self.call("browsingContext.create", type="tab")["context"] if hidden else \
                self.call("browsingContext.close", context=self.other)
        else:
            self.other = self.call("Target.createTarget", url="about:blank")["targetId"] if hidden else \
                self.call("Target.closeTarget", targetId=self.other)

    def canvas(self):  # the canvas's pixels, as a screen grab's; encoded by the browser beside the page (a
        # read by the page's script would hold up the game's frames, and its sound, a tenth of a second)
        url = self.js("new Promise(done => document.getElementById('screen').toBlob(b => { var f = new "
                      "FileReader(); f.onload = () => done(f.result); f.readAsDataURL(b); }))", wait=True)
        return PIL.Image.open(io.BytesIO(base64.b64decode(url.split(",")[1]))).convert("RGB").tobytes()

    def log(self):
        return pathlib.Path(self.out).read_text(errors="replace")

    def messages(self):  # what the page's allegro_message said
        return [json.loads(m) for m in re.findall(r'allegro_message: ("(?:[^"\\]|\\.)*")', self.log())]

    def poll(self):
        found = re.search(r"junkfall: exited with status (-?\d+)", self.log())
        return int(found[1]) if found else self.browser.poll()

    def wait(self, timeout=60):
        end = time.monotonic() + timeout
        while self.poll() is None:
            if time.monotonic() > end:
                raise subprocess.TimeoutExpired("the page", timeout)
            time.sleep(0.1)
        return self.poll()

    def kill(self):
        getattr(self, "ws", None) and self.ws.close()
        self.browser.terminate()
        self.browser.wait()

    @classmethod
    def close(cls):
        if cls.server:
            cls.server.shutdown()
            cls.server.server_close()
            cls.server = None
