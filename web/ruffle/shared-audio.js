// One sound output for every movie the player shows.
//
// The engine makes a new instance, and with it a new AudioContext, for each movie. Starting a
// context starts WebKit's sound pipeline, a fifth of a second or more before the movie may begin;
// and the engine holds a movie back a further 200 ms when it finds its new context not running
// yet. So every context the engine asks for is a stand-in for one real context, made once:
// - the nodes a stand-in makes are its own, and stopped when the engine closes it;
// - only the newest stand-in may suspend or resume the real context;
// - while the player rests, the real context is suspended whatever the engine asked.
(function () {
  "use strict";

  const Native = window.AudioContext || window.webkitAudioContext;
  if (!Native) return;

  let real = null;
  let made = 0;
  let current = null;        // the newest stand-in that is not closed
  let resting = false;

  function wanted() {
    return !resting && current !== null && !current.ownerSuspended;
  }

  // Brings the real context to what the newest stand-in and the player's rest ask for.
  function settle() {
    if (real === null || real.state === "closed") return;
    if (wanted()) {
      if (real.state !== "running") {
        const pending = real.resume();
        if (current) current.resuming = pending;
        pending.catch(function () {}).then(function () {
          if (current && current.resuming === pending) current.resuming = null;
        });
      }
    } else if (real.state === "running") {
      real.suspend().catch(function () {});
    }
  }

  function makeStandIn() {
    if (real === null || real.state === "closed") {
      real = new Native();
      ++made;
      real.onstatechange = function () {
        // A new context starts by itself where sound may play, resting player or not.
        settle();
        if (current && typeof current.onstatechange === "function") current.onstatechange();
      };
    }
    const own = {
      nodes: new Set(),
      closed: false,
      ownerSuspended: false,
      resuming: null,
      onstatechange: null,
    };
    const methods = {
      createBufferSource: function () {
        const node = real.createBufferSource();
        if (own.closed) return node;
        own.nodes.add(node);
        node.addEventListener("ended", function () { own.nodes.delete(node); });
        return node;
      },
      suspend: function () {
        own.ownerSuspended = true;
        if (current === own) settle();
        return Promise.resolve();
      },
      resume: function () {
        own.ownerSuspended = false;
        if (current !== own) return Promise.resolve();
        settle();
        return own.resuming || Promise.resolve();
      },
      close: function () {
        if (own.closed) return Promise.resolve();
        own.closed = true;
        // What the closed instance scheduled stops with it, as with a context of its own.
        own.nodes.forEach(function (node) {
          try { node.stop(); } catch (e) { /* never started */ }
          try { node.disconnect(); } catch (e) { /* not connected */ }
        });
        own.nodes.clear();
        if (current === own) {
          current = null;
          // The engine closes a movie's context just before it makes the next one: the sound
          // pipeline waits a moment for it rather than stopping and starting again.
          setTimeout(settle, 1000);
        }
        return Promise.resolve();
      },
    };
    const standIn = new Proxy(real, {
      get: function (target, key) {
        if (Object.prototype.hasOwnProperty.call(methods, key)) return methods[key];
        if (key === "onstatechange") return own.onstatechange;
        if (key === "state") {
          if (own.closed) return "closed";
          if (own.ownerSuspended) return "suspended";
          // Asked to run and on its way there: the engine need not hold the movie back.
          return own.resuming && target.state === "suspended" ? "running" : target.state;
        }
        const value = Reflect.get(target, key, target);
        return typeof value === "function" ? value.bind(target) : value;
      },
      set: function (target, key, value) {
        if (key === "onstatechange") own.onstatechange = value;
        else Reflect.set(target, key, value, target);
        return true;
      },
    });
    current = own;
    settle();
    return standIn;
  }

  function SharedAudioContext() {
    return makeStandIn();
  }
  SharedAudioContext.prototype = Native.prototype;
  window.AudioContext = SharedAudioContext;
  if (window.webkitAudioContext) window.webkitAudioContext = SharedAudioContext;

  window.zorbelSharedAudio = {
    // A resting player makes no sound and costs the sound pipeline nothing.
    setResting: function (rest) {
      resting = !!rest;
      settle();
    },
    state: function () {
      return real === null ? "none" : real.state;
    },
    contextsMade: function () { return made; },
  };
})();
