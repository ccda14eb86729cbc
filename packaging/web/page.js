// The page around the game: the canvas scaled by whole factors to fit the
// window, a click to start (after which the browser lets it play sound), the data
// file fetched into the program's file system, and the end of a game.
"use strict";
var canvas = document.getElementById("screen");
var start = document.getElementById("start");
var ended = document.getElementById("ended");
var message = document.getElementById("message");

function fit() {
  var k = Math.max(1, Math.floor(Math.min(innerWidth / canvas.width, innerHeight / canvas.height)));
  canvas.style.width = canvas.width * k + "px";
  canvas.style.height = canvas.height * k + "px";
  // centred on whole pixels, the how-to-play beside it where there is room, else below
  var top = Math.max(0, Math.floor((innerHeight - canvas.height * k) / 2)) + "px";
  document.getElementById("stage").style.marginTop = top;
  document.querySelector("aside").style.marginTop = top;
}
addEventListener("resize", fit);
fit();

var Module = {
  canvas: canvas,
  // ?tap=URL: the sound driver posts every buffer it mixes there (the tests' ear)
  soundTap: new URLSearchParams(location.search).get("tap"),
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
    console.log("junkfall: exited with status " + status);
    ended.hidden = false;
  },
  onAbort: function (what) {
    console.log("junkfall: stopped: " + what);
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
