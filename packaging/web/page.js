// The page around the game: the canvas scaled to fit the window, a click or a
// tap to start (after which the browser lets it play sound), the data file
// fetched into the program's file system, Esc, sound and full-screen buttons
// for touch screens, and the end of a game.
"use strict";
var canvas = document.getElementById("screen");
var stage = document.getElementById("stage");
var start = document.getElementById("start");
var ended = document.getElementById("ended");
var message = document.getElementById("message");
var BAR = 64;   // the Esc button's room beside the canvas on a touch screen

// the whole picture on the screen: by whole factors where one fits (crisp),
// else scaled down; centred, with the Esc button to the right of it or, on a
// screen taller than the picture's shape, below it; the how-to-play beside
// it where there is room, else below
function fit() {
  var touch = document.body.classList.contains("touch"), wide = innerWidth * 3 >= innerHeight * 4;
  var w = innerWidth - (touch && wide ? BAR : 0), h = innerHeight - (touch && !wide ? BAR : 0);
  var k = Math.min(w / canvas.width, h / canvas.height);
  k = k >= 1 ? Math.floor(k) : k;
  canvas.style.width = canvas.width * k + "px";
  canvas.style.height = canvas.height * k + "px";
  var top = Math.max(0, Math.floor((h - canvas.height * k) / 2)) + "px";
  stage.style.marginTop = document.querySelector("aside").style.marginTop = top;
  stage.className = touch ? (wide ? "right" : "below") : "";
}
addEventListener("resize", fit);
// a touch or a pen: the page becomes a touch screen's for good
function touched(e) {
  if (e.pointerType != "mouse" && !document.body.classList.contains("touch")) {
    document.body.classList.add("touch");
    fit();
  }
}
addEventListener("pointerdown", touched, true);
if (matchMedia("(pointer: coarse)").matches)
  document.body.classList.add("touch");
fit();
// Esc, for a screen without keys: leaves a game, or the game from the menu
document.getElementById("esc").addEventListener("click", function () {
  if (Module.webInput && !Module.inputOff)
    Module.webInput.push(1, 59, 27, 0, 2, 59, 0, 0);
});
// the game's sound off or on: M, or a sound button, which types an M for a
// screen without keys; their icons show which, as the game has it
var sounds = document.querySelectorAll(".sound");
function toggled() {
  sounds.forEach(function (b) {
    b.setAttribute("aria-pressed", b.classList.toggle("off") ? "false" : "true");
  });
}
sounds.forEach(function (b) {
  b.addEventListener("click", function () {
    if (Module.webInput && !Module.inputOff) {
      Module.webInput.push(1, 13, 109, 0, 2, 13, 0, 0);
      toggled();
    }
  });
});
addEventListener("keydown", function (e) {
  if (e.code == "KeyM" && !e.repeat && Module.webInput && !Module.inputOff)
    toggled();
});
// full screen, and on a phone or a tablet held the long way round
var fullscreen = document.documentElement.requestFullscreen ? function () {
  if (document.fullscreenElement)
    return document.exitFullscreen();
  document.documentElement.requestFullscreen().then(function () {
    return screen.orientation && screen.orientation.lock && screen.orientation.lock("landscape");
  }).catch(function () {});
} : null;
document.querySelectorAll(".full").forEach(function (b) { b.addEventListener("click", fullscreen); });
if (!fullscreen)
  document.body.classList.add("nofull");

// the page's files kept for offline play; every visit after the first asks
// for a new build at once (a browser may wait till the page has been still a
// while), and when a new build's files arrive, a page whose game has not
// started yet reloads into it
var started = false;
if ("serviceWorker" in navigator) {
  var kept = !!navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener("controllerchange", function () {
    if (kept && !started)
      location.reload();
  });
  navigator.serviceWorker.register("sw.js").then(function (r) {
    if (kept)   /* a first visit has just fetched its worker; offline, the build kept plays */
      r.update().catch(function () {});
  }, function (e) {
    console.log("junkfall: kept nothing for offline play: " + e);
  });
}

var Module = {
  canvas: canvas,
  // ?tap=PATH: the sound driver posts its mix there as it is played (the tests'
  // ear), and only to this page's own site: a link cannot send the mix away
  soundTap: (function (tap) {
    try {
      return tap && new URL(tap, location.href).origin == location.origin ? tap : null;
    } catch (e) {   // no address at all
      return null;
    }
  })(new URLSearchParams(location.search).get("tap")),
  canvasSized: fit,
  showMessage: function (text) {
    message.textContent = text;
    message.hidden = false;
  },
  onRuntimeInitialized: function () {
    console.log("junkfall: ready");
    start.disabled = false;
    start.lastChild.textContent = "Click to play";
  },
  onExit: function (status) {
    if (Module.tapFlush)
      Module.tapFlush();
    console.log("junkfall: exited with status " + status);
    Module.inputOff = true;   // the page's keys and pointer are the page's again
    ended.hidden = false;
  },
  onAbort: function (what) {
    console.log("junkfall: stopped: " + what);
    Module.inputOff = true;
    Module.showMessage("The game stopped: " + what);
    ended.hidden = false;
  },
};

message.addEventListener("click", function () { message.hidden = true; });
document.getElementById("again").addEventListener("click", function () { location.reload(); });

// the game's sound starts once the page has been clicked; should the browser
// still hold it back, any later click or key lets it go
function unlock() {
  if (Module.audioContext && Module.audioContext.state == "suspended")
    Module.audioContext.resume();
}
addEventListener("mousedown", unlock);
addEventListener("keydown", unlock);

start.addEventListener("click", function () {
  start.hidden = true;
  started = true;
  fetch("media/data.dat").then(function (r) {
    return r.ok ? r.arrayBuffer() : null;
  }).catch(function () { return null; }).then(function (data) {
    FS.mkdir("/media");
    if (data)  // without it the game says what it could not load
      FS.writeFile("/media/data.dat", new Uint8Array(data));
    console.log("junkfall: started");
    Module.callMain([]);
  });
});
