// The movie control's page: one Ruffle player, reused for every movie, driven by the program
// through zorbelHost.* calls and reporting back through the "zorbelFlash" message handler.
(function () {
  "use strict";

  function post(msg) {
    try {
      window.webkit.messageHandlers.zorbelFlash.postMessage(JSON.stringify(msg));
    } catch (e) {
      // Outside the program (a plain browser) there is nobody to tell.
    }
  }

  // Out of sight, the engine keeps a movie that was playing ticking from a worker of its own,
  // at the movie's frame rate, even once we have paused it. A resting player ends those
  // workers: nothing is there to tick.
  const tickWorkers = [];
  const NativeWorker = window.Worker;
  if (NativeWorker) {
    window.Worker = class extends NativeWorker {
      constructor(...args) {
        super(...args);
        // Made after we came to rest (the engine saw the page hide after us): no use either.
        if (S.suspended) this.terminate();
        else tickWorkers.push(this);
      }
    };
  }

  window.RufflePlayer = window.RufflePlayer || {};
  window.RufflePlayer.config = {
    autoplay: "on",
    unmuteOverlay: "hidden",
    splashScreen: false,
    letterbox: "on",
    allowScriptAccess: true,
    polyfills: false,
    warnOnUnsupportedContent: false,
    showSwfDownload: false,
    // The timeline items of the menu are our only handle on movies without the frame action;
    // the menu itself never shows (hidden below, right clicks blocked).
    contextMenu: "on",
    logLevel: "error",
  };
  // Set by the program where no graphics processor draws: WebGL would then run on a software
  // rasteriser, slower and heavier than the engine's own canvas drawing.
  if (window.zorbelDrawsInSoftware) window.RufflePlayer.config.preferredRenderer = "canvas";

  // The user never sees the player's own overlays, splash or menu.
  const kHiddenParts = "#play-button, #unmute-overlay, #splash-screen, #context-menu-overlay, " +
    "#panic, #message-overlay, #hardware-acceleration-modal, #volume-controls-modal, " +
    "#clipboard-modal, #save-manager { display: none !important; }";

  // A right click never reaches the player: its menu is ours alone to open.
  ["contextmenu", "pointerdown", "pointerup", "mousedown", "mouseup", "auxclick"].forEach(function (type) {
    window.addEventListener(type, function (e) {
      if (e.isTrusted && (type === "contextmenu" || e.button === 2)) {
        e.stopImmediatePropagation();
        e.preventDefault();
      }
    }, true);
  });

  // Captions of the timeline items in the languages we give the player (zh-CN, en-US), lower-case.
  // In Chinese "后退" is Rewind and "返回" is Back.
  const kMenuCaptions = {
    play: ["play", "播放"],
    rewind: ["rewind", "后退"],
    forward: ["forward", "前进"],
    back: ["back", "返回"],
  };

  const S = {
    player: null,
    ready: false,
    id: 0,                 // the load being shown
    mode: "none",          // "callbacks" | "menu" | "none"
    loaded: false,
    shown: false,
    total: 0,
    frameRate: 12,
    playing: true,         // what the program last asked for
    base: 0,               // estimated frame (0-based) at 'since'
    since: 0,
    lastFrame: -1,
    rootStopped: false,
    volume: 1,             // 0..1, kept across movies (the player forgets it with each load)
  };

  function hideParts(player) {
    if (!player.shadowRoot || player.shadowRoot.getElementById("zorbel-hide")) return;
    const style = document.createElement("style");
    style.id = "zorbel-hide";
    style.textContent = kHiddenParts;
    player.shadowRoot.appendChild(style);
  }

  // A canvas has one kind of context for good: asking for "2d" gives null on a WebGL one.
  function rendererInUse() {
    const canvas = S.player && S.player.shadowRoot && S.player.shadowRoot.querySelector("canvas");
    if (!canvas) return "none";
    return canvas.getContext("2d") ? "canvas" : "webgl";
  }

  // The callbacks stay defined on the element from an earlier movie; they count only once the
  // current movie's frame action has registered them again (the old ones answer null).
  function hasCallbacks() {
    if (S.callbacksSeen) return true;
    if (!S.loaded || !S.player || typeof S.player.zorbelTotalFrames !== "function") return false;
    let total = null;
    try {
      total = S.player.zorbelTotalFrames();
    } catch (e) {
      total = null;
    }
    S.callbacksSeen = typeof total === "number" && total > 0;
    return S.callbacksSeen;
  }

  // Opens the player's menu by script and clicks the timeline item; returns whether it was there.
  function menuCommand(which) {
    const p = S.player;
    if (!p || !p.shadowRoot) return false;
    const wasPaused = !p.isPlaying;
    if (wasPaused) p.play();  // the player lists the movie's items only while it runs
    p.dispatchEvent(new MouseEvent("contextmenu", { bubbles: true, cancelable: true, clientX: 1, clientY: 1 }));
    const items = p.shadowRoot.querySelectorAll("#context-menu .menu-item");
    let done = false;
    for (const item of items) {
      const caption = (item.textContent || "").trim().toLowerCase();
      if (kMenuCaptions[which].indexOf(caption) >= 0 && !item.classList.contains("disabled")) {
        item.click();
        done = true;
        break;
      }
    }
    if (!done && p.shadowRoot.getElementById("context-menu-overlay")) {
      // Close the menu that found no item.
      document.documentElement.click();
    }
    if (wasPaused) p.pause();
    return done;
  }

  // The menu moves the root timeline one frame at a time: back to the start, then forward.
  // A long way is walked in slices so the page stays responsive, and a newer target (the seek
  // bar sends many while dragged) takes over the walk: further on it goes on from where the walk
  // is, further back it starts again from the first frame.
  const seek = { target: -1, at: -1, running: false };
  const kForwardSlice = 25;

  function menuSeek(frame) {
    seek.target = frame;
    S.base = frame;                 // what the program is told from now on
    S.since = performance.now();
    S.lastFrame = -1;
    report();
    if (!seek.running) {
      seek.running = true;
      setTimeout(seekStep, 0);
    }
  }

  function seekStep() {
    if (!S.loaded || S.mode !== "menu") { seek.running = false; return; }
    if (seek.at < 0 || seek.target < seek.at) {
      menuCommand("rewind");
      S.rootStopped = true;
      seek.at = 0;
    }
    let steps = 0;
    while (seek.at < seek.target && steps < kForwardSlice) {
      if (!menuCommand("forward")) { seek.target = seek.at; break; }
      seek.at++;
      steps++;
    }
    if (seek.at < seek.target) {
      setTimeout(seekStep, 0);
      return;
    }
    seek.running = false;
    S.base = seek.at;
    S.since = performance.now();
    if (S.playing) {
      if (menuCommand("play")) S.rootStopped = false;
      seek.at = -1;                 // once playing, where the timeline is is only estimated
    }
  }

  function estimatedFrame() {
    if (S.total <= 0) return 0;
    let f = S.base;
    if (S.playing && !S.rootStopped && !seek.running) f += Math.floor((performance.now() - S.since) * S.frameRate / 1000);
    return S.total > 0 ? f % S.total : f;
  }

  function currentFrame() {
    if (S.mode === "callbacks" && hasCallbacks()) {
      const f = Number(S.player.zorbelCurrentFrame());
      return isFinite(f) && f >= 1 ? f - 1 : 0;
    }
    return estimatedFrame();
  }

  // Once per movie, as soon as it can be driven. A seek that comes before our first report
  // must come after this, or the hold on the first frame would undo it.
  function markShown() {
    if (!S.loaded || S.shown || (S.mode === "callbacks" && !hasCallbacks())) return;
    S.shown = true;
    // Asked to stay stopped before the movie came: it shows its first frame and holds there.
    if (!S.playing && S.mode === "callbacks") S.player.zorbelGotoAndStop(1);
    if (!S.playing && S.mode === "menu" && menuCommand("rewind")) {
      S.rootStopped = true;
      S.base = 0;
    }
    post({ t: "shown", id: S.id });
  }

  function report() {
    if (!S.loaded) return;
    markShown();
    const f = currentFrame();
    if (f !== S.lastFrame) {
      S.lastFrame = f;
      post({ t: "frame", id: S.id, frame: f });
    }
  }

  function makePlayer() {
    const stage = document.getElementById("stage");
    while (stage.firstChild) stage.removeChild(stage.firstChild);
    const player = window.RufflePlayer.newest().createPlayer();
    stage.appendChild(player);
    hideParts(player);
    player.addEventListener("loadedmetadata", function () {
      if (player !== S.player || S.pendingId !== S.id) return;
      const m = player.metadata || {};
      S.loaded = true;
      S.frameRate = m.frameRate > 0 ? m.frameRate : 12;
      S.since = performance.now();
      applyVolume();
      post({ t: "loaded", id: S.id, numFrames: m.numFrames, frameRate: m.frameRate,
             swfVersion: m.swfVersion, as3: !!m.isActionScript3 });
    });
    return player;
  }

  function applyVolume() {
    try {
      if (S.player) S.player.volume = S.volume;
    } catch (e) {
      // A player between movies takes it with the next one.
    }
  }

  function applyStop() {
    if (S.mode === "callbacks" && hasCallbacks()) {
      S.player.zorbelStop();
    } else {
      S.base = estimatedFrame();
      S.since = performance.now();
      S.player.pause();
    }
  }

  const host = {
    // Loads a movie from our scheme. mode: "callbacks" when the frame action is in it.
    // walled: parent mode; the movie may not open addresses or use the browser's navigation.
    load: function (id, url, mode, total, playing, walled) {
      S.id = id;
      S.pendingId = id;
      S.mode = mode;
      S.loaded = false;
      S.shown = false;
      S.total = total;
      S.base = 0;
      S.lastFrame = -1;
      S.rootStopped = false;
      S.callbacksSeen = false;
      S.playing = playing;
      updateSuspension();
      if (playing && window.zorbelSharedAudio) window.zorbelSharedAudio.expectMovie();
      seek.target = -1;
      seek.at = -1;
      fetch(url).then(function (r) {
        if (!r.ok) throw new Error("status " + r.status);
        return r.arrayBuffer();
      }).then(function (data) {
        if (id !== S.id) return;
        const options = { data: data, swfFileName: "movie.swf", allowScriptAccess: true };
        // allowNetworking "internal" would also cut ExternalInterface, which the frame action
        // reports through. Denying the opening of addresses keeps the movie from the browser;
        // the view's content rules keep it (and any script) from loading anything else.
        if (walled) options.openUrlMode = "deny";
        return S.player.ruffle().load(options);
      }).catch(function (e) {
        if (id === S.id) post({ t: "error", id: id, message: String(e && e.message || e) });
      });
    },
    // Shows nothing: the movie is gone (or could not be read).
    unload: function (id) {
      S.id = id;
      S.callbacksSeen = false;
      S.mode = "none";
      S.loaded = false;
      S.shown = false;
      S.total = 0;
      if (S.player) S.player.ruffle().load({ data: warmUpMovie(), swfFileName: "blank.swf" }).catch(function () {});
    },
    play: function () {
      if (!S.player || !S.loaded) { S.playing = true; updateSuspension(); return; }
      if (S.mode === "callbacks" && hasCallbacks()) {
        S.player.zorbelPlay();
        S.player.play();
      } else {
        if (!S.playing || S.rootStopped) S.since = performance.now();
        seek.at = -1;
        S.player.play();
        if (S.rootStopped && menuCommand("play")) S.rootStopped = false;
      }
      S.playing = true;
      updateSuspension();
    },
    stop: function () {
      if (!S.player || !S.loaded) { S.playing = false; updateSuspension(); return; }
      if (S.playing) applyStop();
      S.playing = false;
      updateSuspension();
    },
    // Goes to a 0-based frame and keeps the play state.
    gotoFrame: function (frame) {
      if (!S.player || !S.loaded) return;
      if (frame < 0) frame = 0;
      if (S.total > 0 && frame >= S.total) frame = S.total - 1;
      markShown();
      if (S.mode === "callbacks" && hasCallbacks()) {
        if (S.playing) S.player.zorbelGotoAndPlay(frame + 1);
        else S.player.zorbelGotoAndStop(frame + 1);
      } else {
        menuSeek(frame);
        return;
      }
      S.lastFrame = -1;
      report();
    },
    currentFrame: currentFrame,
    // The sound's loudness, 0 (silent) to 1.
    setVolume: function (v) {
      S.volume = Math.max(0, Math.min(1, Number(v) || 0));
      applyVolume();
    },
    volume: function () { return S.player ? Number(S.player.volume) : -1; },
    // One timeline item of the player's menu ("play", "rewind", "forward", "back").
    menu: function (which) { return kMenuCaptions[which] ? menuCommand(which) : false; },
    state: function () {
      return JSON.stringify({ id: S.id, mode: S.mode, loaded: S.loaded, shown: S.shown,
                              callbacks: hasCallbacks(), playing: S.playing, isPlaying: !!(S.player && S.player.isPlaying),
                              frame: currentFrame(), ready: S.ready, resting: !!S.suspended,
                              tickWorkers: tickWorkers.length, renderer: rendererInUse(),
                              audio: window.zorbelSharedAudio ? window.zorbelSharedAudio.state() : "none",
                              audioContexts: window.zorbelSharedAudio ? window.zorbelSharedAudio.contextsMade() : 0 });
    },
    menuCaptions: function () {
      const p = S.player;
      const wasPaused = !p.isPlaying;
      if (wasPaused) p.play();
      p.dispatchEvent(new MouseEvent("contextmenu", { bubbles: true, cancelable: true, clientX: 1, clientY: 1 }));
      const items = Array.from(p.shadowRoot.querySelectorAll("#context-menu .menu-item")).map(function (i) { return i.textContent; });
      document.documentElement.click();
      if (wasPaused) p.pause();
      return JSON.stringify(items);
    },
  };
  window.zorbelHost = host;

  function startTicker() {
    if (S.ticker) return;
    S.ticker = setInterval(function () {
      if (S.player) hideParts(S.player);
      report();
    }, 40);
  }

  // A stopped player that is not on the screen has nothing to show: the player's own loop
  // and our reports rest until it is shown or played again, so a hidden panel costs no CPU.
  function updateSuspension() {
    const rest = document.visibilityState === "hidden" && !S.playing;
    if (rest === !!S.suspended) return;
    S.suspended = rest;
    if (rest) {
      S.resumeRunning = !!(S.player && S.player.isPlaying);
      if (S.resumeRunning) S.player.pause();
      clearInterval(S.ticker);
      S.ticker = 0;
      while (tickWorkers.length) tickWorkers.pop().terminate();
      if (window.zorbelSharedAudio) window.zorbelSharedAudio.setResting(true);
    } else {
      if (window.zorbelSharedAudio) window.zorbelSharedAudio.setResting(false);
      if (S.resumeRunning && S.player) S.player.play();
      S.resumeRunning = false;
      startTicker();
    }
  }

  // A blank one-frame movie compiles the player's code before the first real movie arrives.
  function warmUpMovie() {
    const bytes = [0x46, 0x57, 0x53, 10, 0, 0, 0, 0,
                   0x00,                 // empty stage rectangle (5-bit field sizes of 0)
                   0x00, 0x0C, 0x01, 0x00,  // 12 fps, 1 frame
                   0x40, 0x00,           // ShowFrame
                   0x00, 0x00];          // End
    bytes[4] = bytes.length;
    return new Uint8Array(bytes).buffer;
  }

  window.addEventListener("DOMContentLoaded", function () {
    S.player = makePlayer();
    let announced = false;
    function announce() {
      if (announced) return;
      announced = true;
      S.ready = true;
      // Warmed up out of sight with nothing asked for yet: it rests until a movie comes. Not
      // before: an engine instance still being made must not be paused under it.
      if (S.id === 0) {
        S.playing = false;
        updateSuspension();
      }
      post({ t: "ready" });
    }
    S.player.addEventListener("loadedmetadata", announce, { once: true });
    S.player.ruffle().load({ data: warmUpMovie(), swfFileName: "blank.swf" }).catch(announce);
    startTicker();
    document.addEventListener("visibilitychange", updateSuspension);
  });
})();
