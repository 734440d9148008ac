// One sound output for every movie the player shows.
//
// The engine makes a new instance, and with it a new AudioContext, for each movie. Starting a
// context starts WebKit's sound pipeline, a fifth of a second or more before the movie may begin;
// and the engine holds a movie back a further 200 ms when it finds its new context not running
// yet. So every context the engine asks for is a stand-in for one real context, made once:
// - the nodes a stand-in makes are its own, and stopped when the engine closes it or makes the
//   next one;
// - only the newest stand-in may suspend or resume the real context;
// - while the player rests, the real context is suspended whatever the engine asked.
(function () {
  "use strict";

  const Native = window.AudioContext || window.webkitAudioContext;
  if (!Native) return;

  let real = null;
  let contextsMade = 0;
  let current = null;        // the newest stand-in that is not closed
  let resting = false;
  let expecting = false;     // a movie is on its way: its stand-in will want the sound

  function wanted() {
    return !resting && (expecting || (current !== null && !current.ownerSuspended));
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

  // What a closed instance scheduled stops with it, as it would with a context of its own.
  function silence(own) {
    own.closed = true;
    own.nodes.forEach(function (node) {
      try { node.stop(); } catch (e) { /* never started */ }
      try { node.disconnect(); } catch (e) { /* not connected */ }
    });
    own.nodes.clear();
  }

  // The engine's "ended" handlers run only while its instance lives: the nodes of a closed one
  // are stopped by us after the engine has let go of its handlers, and calling one of those
  // then would run into the freed engine.
  function guardEnded(node, own) {
    let handler = null;
    const listeners = [];
    Object.defineProperty(node, "onended", {
      get: function () { return handler; },
      set: function (f) { handler = f; },
      configurable: true,
    });
    const add = node.addEventListener.bind(node);
    const remove = node.removeEventListener.bind(node);
    node.addEventListener = function (type, f, options) {
      if (type === "ended") listeners.push(f);
      else add(type, f, options);
    };
    node.removeEventListener = function (type, f, options) {
      const at = type === "ended" ? listeners.indexOf(f) : -1;
      if (at >= 0) listeners.splice(at, 1);
      else remove(type, f, options);
    };
    add("ended", function (event) {
      own.nodes.delete(node);
      if (own.closed) return;
      if (typeof handler === "function") handler.call(node, event);
      listeners.forEach(function (l) {
        if (typeof l === "function") l.call(node, event);
        else if (l && typeof l.handleEvent === "function") l.handleEvent(event);
      });
    });
  }

  function makeStandIn() {
    if (real === null || real.state === "closed") {
      real = new Native();
      ++contextsMade;
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
        guardEnded(node, own);
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
        silence(own);
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
          return target.state;
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
    // The page shows one movie at a time: a newer instance silences an older one even when the
    // engine has not closed it.
    if (current !== null) silence(current);
    current = own;
    expecting = false;
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
    // A movie is about to be handed to the engine: the sound pipeline starts now, so that it
    // runs by the time the engine looks (it holds a movie back 200 ms when it does not).
    expectMovie: function () {
      expecting = true;
      settle();
      setTimeout(function () {
        expecting = false;
        settle();
      }, 3000);
    },
    state: function () {
      return real === null ? "none" : real.state;
    },
    contextsMade: function () { return contextsMade; },
  };
})();
