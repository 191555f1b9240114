// The page around the game: loads brettspalt.wasm and Data.lib (with a
// progress bar), keeps HiScore.dat in IndexedDB, scales the canvas, starts
// Web Audio on the first click or key, and drives the host loop from
// requestAnimationFrame. Everything the game sees goes through the web host
// (platform/web/WebHost.cpp).
//
// ?script=URL&seed=N runs the headless mode instead: the input script on the
// virtual clock, as `brettspalt --headless`; the report lands in #report and
// in window.brettspaltReport.
"use strict";

(function () {
  var WIDTH = 800, HEIGHT = 600;
  var params = new URLSearchParams(location.search);
  var headless = params.has("script");
  var canvas = document.getElementById("screen");
  var loading = document.getElementById("loading");
  var loadingText = document.getElementById("loading-text");
  var progress = document.getElementById("progress");
  var soundLine = document.getElementById("sound");
  var started = performance.now();

  // What the tests and the curious can read.
  var api = window.brettspalt = {
    loadStartedAt: started,
    firstFrameAt: null,
    started: false,
    score: function () { return api.started ? Module._web_score() : 0; },
    screenState: function () { return api.started ? Module._web_screen_state() : -1; },
    frameHash: function () { return Module.UTF8ToString(Module._web_frame_hash()); },
    running: function () { return Module._web_running() !== 0; },
    saves: 0,
    passes: 0,       // animation frames handed to the host loop
    passMs: 0,       // time spent in them
    headlessMs: null // how long the headless run took
  };

  function showMessage(text) {
    var box = document.getElementById("message");
    box.textContent = text;
    box.hidden = false;
    loading.hidden = true;
  }

  // ---- Scaling: whole factors when the window is large enough ------------
  function layout() {
    var stage = document.getElementById("stage");
    var w = stage.clientWidth, h = stage.clientHeight;
    var fit = Math.min(w / WIDTH, h / HEIGHT);
    var factor = fit >= 1 ? Math.floor(fit) : fit;
    canvas.style.width = Math.floor(WIDTH * factor) + "px";
    canvas.style.height = Math.floor(HEIGHT * factor) + "px";
  }
  window.addEventListener("resize", layout);
  document.addEventListener("fullscreenchange", layout);
  layout();

  function toggleFullScreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  }
  document.getElementById("fullscreen").addEventListener("click", function (e) {
    toggleFullScreen();
    e.currentTarget.blur();  // Space and Enter belong to the game
    canvas.focus();
  });
  canvas.addEventListener("contextmenu", function (e) { e.preventDefault(); });

  // ---- Sound: Web Audio pulls mixed samples from the game's mixer ---------
  var AudioContextClass = window.AudioContext || window.webkitAudioContext;
  var audio = null;
  function startSound() {
    if (audio || !AudioContextClass || !Module._web_mix) return;
    try {
      audio = new AudioContextClass({ sampleRate: 44100 });
    } catch (e) {
      audio = new AudioContextClass();
    }
    var frames = 2048;
    var buffer = Module._malloc(frames * 4);
    var node = audio.createScriptProcessor(frames, 0, 2);
    node.onaudioprocess = function (event) {
      var out = event.outputBuffer;
      var n = out.length;
      Module._web_mix(buffer, n);
      var samples = new Int16Array(Module.HEAP16.buffer, buffer, n * 2);
      var left = out.getChannelData(0), right = out.getChannelData(1);
      for (var i = 0; i < n; i++) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
      }
    };
    node.connect(audio.destination);
    if (audio.state === "suspended") audio.resume();
    soundLine.textContent = audio.sampleRate === 44100 ? "Sound on."
        : "Sound on (the browser plays at " + audio.sampleRate + " Hz).";
  }
  if (!AudioContextClass) {
    soundLine.textContent = "This browser has no Web Audio: the game plays without sound.";
  }

  // ---- High scores in IndexedDB ------------------------------------------
  var syncing = false, syncAgain = false;
  function saveChanged() {
    if (syncing) { syncAgain = true; return; }
    syncing = true;
    Module.FS.syncfs(false, function (error) {
      syncing = false;
      if (error) {
        showMessage("The high scores could not be kept in this browser's storage.");
      } else {
        api.saves++;
      }
      if (syncAgain) { syncAgain = false; saveChanged(); }
    });
  }

  // ---- Loading ---------------------------------------------------------------
  function fetchWithProgress(url) {
    return fetch(url).then(function (response) {
      if (!response.ok) throw new Error(url + ": HTTP " + response.status);
      // The server names the uncompressed length when it sends it gzipped.
      var total = Number(response.headers.get("X-Uncompressed-Length") ||
                         response.headers.get("Content-Length") || 0);
      if (!response.body || !response.body.getReader) {
        return response.arrayBuffer().then(function (b) { return new Uint8Array(b); });
      }
      var reader = response.body.getReader();
      var parts = [], received = 0;
      function pump() {
        return reader.read().then(function (step) {
          if (step.done) {
            var all = new Uint8Array(received), at = 0;
            parts.forEach(function (p) { all.set(p, at); at += p.length; });
            return all;
          }
          parts.push(step.value);
          received += step.value.length;
          if (total > 0) progress.value = Math.min(received / total, 1);
          loadingText.textContent = "Loading the game… " +
              Math.round(received / 1048576) + " MB";
          return pump();
        });
      }
      return pump();
    });
  }

  function restoreSaves() {
    return new Promise(function (resolve) {
      Module.FS.mkdir("/save");
      Module.FS.mount(Module.FS.filesystems.IDBFS, {}, "/save");
      Module.FS.syncfs(true, function (error) {
        if (error) {
          soundLine.textContent += " High scores cannot be kept in this browser.";
        }
        resolve();
      });
    });
  }

  function runGame() {
    var reason = Module._web_start(AudioContextClass ? 1 : 0);
    if (reason !== 0) {
      showMessage("The game could not start: " + Module.UTF8ToString(reason));
      return;
    }
    api.started = true;
    canvas.focus();
    // The characters of this keyboard's keys, where the browser tells them;
    // elsewhere the host learns each key when it is first pressed alone.
    if (navigator.keyboard && navigator.keyboard.getLayoutMap) {
      navigator.keyboard.getLayoutMap().then(function (map) {
        map.forEach(function (character, code) {
          Module.ccall("web_layout_key", null, ["string", "string"], [code, character]);
        });
      }).catch(function () {});
    }
    var first = function () { startSound(); };
    window.addEventListener("keydown", first, { once: true });
    window.addEventListener("mousedown", first, { once: true });
    function frame() {
      var t0 = performance.now();
      Module._web_pass();
      api.passMs += performance.now() - t0;
      api.passes++;
      if (Module._web_running()) {
        requestAnimationFrame(frame);
      } else {
        showMessage("The game has ended. Reload the page to play again.");
      }
    }
    requestAnimationFrame(frame);
  }

  function runHeadless() {
    var seed = params.get("seed");
    return fetch(params.get("script")).then(function (response) {
      if (!response.ok) throw new Error("the script: HTTP " + response.status);
      return response.text();
    }).then(function (script) {
      var seeded = seed !== null && seed !== "";
      var t0 = performance.now();
      var report = Module.ccall("web_headless", "string", ["string", "number", "number"],
                                [script, seeded ? 1 : 0, seeded ? Number(seed) >>> 0 : 0]);
      api.headlessMs = performance.now() - t0;
      loading.hidden = true;
      canvas.hidden = false;
      var pre = document.getElementById("report");
      pre.textContent = report;
      pre.hidden = false;
      window.brettspaltReport = report;
    });
  }

  function whenReady() {
    var saves = headless ? Promise.resolve() : restoreSaves();
    saves.then(function () {
      return fetchWithProgress("Data.lib");
    }).then(function (bytes) {
      Module.FS.mkdir("/data");
      Module.FS.writeFile("/data/Data.lib", bytes);
      return headless ? runHeadless() : runGame();
    }).catch(function (error) {
      showMessage("Data.lib could not be loaded (" + error.message + ").\n" +
                  "The game needs it next to this page.");
      window.brettspaltReport = "error " + error.message;
    });
  }

  if (typeof WebAssembly !== "object") {
    showMessage("This browser cannot run WebAssembly, which the game needs.\n" +
                "Please use a current Firefox, Chromium, Chrome, Edge or Safari.");
    return;
  }

  window.Module = {
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    onRuntimeInitialized: whenReady,
    onAbort: function (what) { showMessage("The game stopped with an error: " + what); },
    brettspaltFirstFrame: function () {
      api.firstFrameAt = performance.now();
      loading.hidden = true;
      canvas.hidden = false;
    },
    brettspaltSaveChanged: saveChanged,
    brettspaltToggleFullScreen: toggleFullScreen
  };
  var script = document.createElement("script");
  script.src = "brettspalt.js";
  script.onerror = function () { showMessage("brettspalt.js could not be loaded."); };
  document.body.appendChild(script);
})();
