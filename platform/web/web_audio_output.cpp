// SPDX-License-Identifier: MIT
// The audio output of the sound library in the browser: the main thread mixes and hands blocks to an
// AudioWorklet (a ScriptProcessor where worklets are missing) on the page's window.tavAudioContext; the audible
// frame is what the audio clock says is reaching the listener now. Without a running context (none made, or
// one suspended, interrupted or closed mid-show) a silent output consumes frames in real time so the music
// position still advances; a context that runs again takes the sound back. Main thread only: no threads.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/common/sound_mixer.h"
#include "platform/web/web_audio.h"

// The JavaScript half keeps its state in Module.tavAudioOutput. Frame counts are "ours": frames handed over
// since the output opened. The player's anchors say that frame `p` (counted from `base`, the first frame
// handed to this player) started to play at context time `t`; the heard position follows the newest anchor
// the heard context time has reached, never past the next anchor's frame (a gap lies between them).
// clang-format off
EM_JS(int, tav_audio_open, (int rate, int bufferFrames), {
    var processor =
        "class TavOutput extends AudioWorkletProcessor {" +
        " constructor() { super(); this.q = []; this.off = 0; this.played = 0; this.under = 0; this.seq = 0;" +
        "  this.since = 0; this.dry = true; this.stopped = false;" +
        "  this.port.onmessage = (e) => { var m = e.data; if (m.stop) { this.stopped = true; this.q = []; return; }" +
        "   this.q.push(m); this.seq = m.seq; }; }" +
        " process(inputs, outputs) {" +
        "  var out = outputs[0], l = out[0], r = out[1] || out[0], n = l.length, i = 0;" +
        "  var starts = this.q.length > 0, before = this.played;" +
        "  while (i < n && this.q.length) {" +
        "   var c = this.q[0], k = Math.min(n - i, c.l.length - this.off);" +
        "   l.set(c.l.subarray(this.off, this.off + k), i); r.set(c.r.subarray(this.off, this.off + k), i);" +
        "   i += k; this.off += k; if (this.off >= c.l.length) { this.q.shift(); this.off = 0; } }" +
        "  if (i < n) { l.fill(0, i); r.fill(0, i); if (this.played > 0) this.under += n - i; }" +
        "  this.played += i;" +
        /* A quantum that starts with our frames anchors the clock: frame `before` plays at currentTime. After a
           gap the anchor is sent at once, so the main thread stops counting the gap as played. */
        "  if (starts && (this.dry || ++this.since >= 8)) {" +
        "   this.port.postMessage({t: currentTime, p: before, u: this.under, s: this.seq}); this.since = 0; }" +
        "  this.dry = i < n;" +
        "  return !this.stopped; } }" +
        "registerProcessor('tav-output', TavOutput);";

    var O = {mode: 'silent', rate: rate, bufferFrames: bufferFrames, handed: 0, seq: 0, pending: [],
             queue: [], queueOff: 0, anchors: [], base: 0, sent: [], held: [], underrun: 0,
             underrunBefore: 0, lastPlayed: 0, silentT0: performance.now(), silentBase: 0, ctx: null,
             failedCtx: null, sleeping: null, resumeT: 0, ctxT: 0, ctxMovedT: 0, heardLatency: 0, heardBy: "",
             node: null, closed: false, note: "no audio context"};
    Module.tavAudioOutput = O;
    // The page makes its context at the start click, which may come after the program opened the sound (its
    // globals open it at start-up): the pump attaches a context that appears later (tav_audio_tick). A context
    // that stopped and runs again is attached anew: a fresh node, the frames handed from then on.
    O.attach = function(ctx) {
        if (ctx.state === 'closed' || ctx.sampleRate !== rate) {
            // Resampling is not worth it for the browsers we know: they honour the rate the page asks for.
            O.failedCtx = ctx;
            O.note = ctx.state === 'closed' ? 'audio context closed'
                                            : 'audio context runs at ' + ctx.sampleRate + ' Hz, not ' + rate;
            console.log('tav: ' + O.note + '; sound is off');
            return;
        }
        if (O.watchedCtx !== ctx) {
            ctx.addEventListener('statechange', function() { if (!O.closed) O.watch(); });
            O.watchedCtx = ctx;
        }
        O.ctx = ctx;
        O.sleeping = null;
        O.mode = 'starting';
        O.note = "";
        // The player starts where the silent output has got to, with the frames it still holds.
        var now = performance.now(), at = Math.floor(Math.max(O.lastPlayed,
            Math.min(O.handed, O.silentBase + (now - O.silentT0) * O.rate / 1000)));
        O.base = O.handed;
        O.pending = [];
        for (var j = 0; j < O.held.length; ++j) {
            var c = O.held[j], skip = at - c.f;
            if (skip >= c.l.length) continue;
            if (!O.pending.length) O.base = c.f + Math.max(0, skip);
            O.pending.push(skip > 0 ? {l: c.l.slice(skip), r: c.r.slice(skip), seq: c.seq} : c);
        }
        O.held = [];
        O.anchors = [];
        O.sent = [];
        O.underrunBefore = O.underrun;
        O.firstPumpT = undefined;
        O.ctxT = ctx.currentTime;
        O.ctxMovedT = performance.now();
        O.silentBase = Math.max(O.base, O.lastPlayed);
        O.silentT0 = now;
        if (ctx.state !== 'running') ctx.resume().catch(function() {});
        attachNode(ctx);
    };

    // Back to the silent output, from the last moment the clock moved. A context that may run again (suspended,
    // interrupted, its clock stopped) is watched and asked to resume; a closed one is given up.
    O.detach = function(note, mayReturn) {
        var ctx = O.ctx;
        console.log('tav: ' + note + '; the show goes on silently');
        O.note = note;
        stopNode();
        O.anchors = [];
        O.sent = [];
        O.mode = 'silent';
        O.ctx = null;
        if (O.silentBase < O.lastPlayed) O.silentBase = O.lastPlayed;
        if (mayReturn) {
            O.sleeping = ctx;
            O.sleepingT = ctx.currentTime;
            askResume(ctx);
        } else {
            O.failedCtx = ctx;
        }
    };

    // What the context does, at each pump and at each change of its state.
    O.watch = function() {
        var now = performance.now(), c = O.ctx;
        if (c) {
            if (c.state === 'closed') return O.detach('audio context closed', false);
            if (O.mode !== 'starting' && c.state !== 'running') return O.detach('audio context ' + c.state, true);
            if (c.currentTime !== O.ctxT) {
                O.ctxT = c.currentTime;
                O.ctxMovedT = now;
            } else if (O.mode !== 'starting' && now - O.ctxMovedT > 500) {
                return O.detach('audio clock stopped', true);
            }
            return;
        }
        var s = O.sleeping;
        if (!s) return;
        if (s.state === 'closed') {
            O.sleeping = null;
            O.failedCtx = s;
            O.note = 'audio context closed';
        } else if (s.state === 'running' && s.currentTime !== O.sleepingT) {
            console.log('tav: audio context running again');
            O.attach(s);
        } else if (now - O.resumeT > 1000) {
            askResume(s);
        }
    };

    var ctx = typeof window !== 'undefined' ? window.tavAudioContext : null;
    if (ctx) O.attach(ctx);
    return O.mode === 'silent' ? 0 : 1;

    function askResume(ctx) {
        O.resumeT = performance.now();
        if (ctx.state !== 'running' && ctx.state !== 'closed') ctx.resume().catch(function() {});
    }

    function stopNode() {
        if (O.node) {
            O.node.disconnect();
            if (O.node.port) O.node.port.postMessage({stop: true});
            O.node.onaudioprocess = null;
        }
        O.node = null;
        O.queue = [];
        O.queueOff = 0;
        O.pending = [];
    }

    function attachNode(ctx) {
        var player = {};  // this attachment: a node made for an earlier one reports to nobody
        O.player = player;
        function onAnchor(m) {
            if (O.player !== player || O.mode === 'silent') return;
            if (typeof window !== 'undefined' && Array.isArray(window.tavAnchorLog)) {
                window.tavAnchorLog.push({t: m.t, p: O.base + m.p});
            }
            O.anchors.push(m);
            if (O.anchors.length > 4096) O.anchors.shift();  // over a minute and a half of latency
            O.underrun = O.underrunBefore + m.u;
            while (O.sent.length && O.sent[0].s <= m.s) O.sent.shift();
        }
        function startScript() {
            if (O.closed || O.player !== player) return;
            var node;
            try { node = ctx.createScriptProcessor(2048, 0, 2); } catch (e) { O.note = 'no audio node'; return; }
            var dry = true, played = 0, under = 0;
            node.onaudioprocess = function(e) {
                var b = e.outputBuffer, l = b.getChannelData(0), r = b.getChannelData(1), n = l.length, i = 0;
                var starts = O.queue.length > 0, before = played;
                while (i < n && O.queue.length) {
                    var c = O.queue[0], k = Math.min(n - i, c.l.length - O.queueOff);
                    l.set(c.l.subarray(O.queueOff, O.queueOff + k), i);
                    r.set(c.r.subarray(O.queueOff, O.queueOff + k), i);
                    i += k; O.queueOff += k;
                    if (O.queueOff >= c.l.length) { O.queue.shift(); O.queueOff = 0; }
                }
                if (i < n) { l.fill(0, i); r.fill(0, i); if (played > 0) under += n - i; }
                played += i;
                if (starts) onAnchor({t: e.playbackTime, p: before, u: under, s: O.seq});
                dry = i < n;
            };
            node.connect(ctx.destination);
            O.node = node;
            O.mode = 'script';
            for (var j = 0; j < O.pending.length; ++j) O.queue.push(O.pending[j]);
            O.pending = [];
        }
        if (ctx.audioWorklet && typeof AudioWorkletNode !== 'undefined') {
            // One module per context: a processor name can be registered only once.
            if (!ctx.tavWorkletLoaded) {
                var url = URL.createObjectURL(new Blob([processor], {type: 'application/javascript'}));
                ctx.tavWorkletLoaded = ctx.audioWorklet.addModule(url);
            }
            ctx.tavWorkletLoaded.then(function() {
                if (O.closed || O.player !== player) return;
                var node = new AudioWorkletNode(ctx, 'tav-output',
                                                {numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [2]});
                node.port.onmessage = function(e) { onAnchor(e.data); };
                node.connect(ctx.destination);
                O.node = node;
                O.mode = 'worklet';
                for (var j = 0; j < O.pending.length; ++j) {
                    var c = O.pending[j];
                    node.port.postMessage(c, [c.l.buffer, c.r.buffer]);
                }
                O.pending = [];
            }).catch(function(e) {
                if (O.player !== player) return;
                O.note = 'no audio worklet (' + e + ')';
                startScript();
            });
        } else {
            startScript();
        }
    }
});

// Called at each pump, when the page has had its turn: watches the context, takes up a context the page made
// since; 1 while the output is silent. A player that has played nothing after 1.5 s of pumps (no gesture, the browser refused the context,
// or the node never ran) will not start by itself, so the show plays on silently. The time counts from the
// first pump, since the program may work a long while before it yields at all.
EM_JS(int, tav_audio_tick, (), {
    var O = Module.tavAudioOutput;
    if (!O || O.closed) return 0;
    O.watch();
    if (O.mode === 'silent') {
        var late = typeof window !== 'undefined' ? window.tavAudioContext : null;
        if (late && !O.ctx && !O.sleeping && late !== O.failedCtx) O.attach(late);
        return O.mode === 'silent' ? 1 : 0;
    }
    // Whether the player ran out before this pump tops it up: until it reports again, the gap's length is
    // unknown, and the report to tests says so (steady false).
    var last = O.anchors.length ? O.anchors[O.anchors.length - 1] : null;
    O.dry = !last || O.base + last.p + (O.ctx.currentTime - last.t) * O.rate >= O.handed;
    var now = performance.now();
    if (O.firstPumpT === undefined) O.firstPumpT = now;
    if (O.anchors.length > 0 || now - O.firstPumpT < 1500) return 0;
    var state = O.ctx.state;
    O.detach(state === 'running' ? 'audio node did not start' : 'audio context did not start (' + state + ')',
             false);
    return 1;
});

// Frames the player has taken (latency 0) or the listener hears now (latency counted). Where no player is
// heard (none, or not yet) the silent output's real-time clock counts, and it waits where it passes what was
// handed over (a stalled page, a hidden tab) instead of racing to catch up afterwards.
EM_JS(double, tav_audio_position, (int withLatency), {
    var O = Module.tavAudioOutput;
    if (!O || O.closed) return 0;
    var now = performance.now(), p = null;
    if (O.ctx && O.anchors.length) p = player(O.ctx, now);
    if (p === null) {
        p = O.silentBase + (now - O.silentT0) * O.rate / 1000;
        if (p > O.handed) {
            O.silentBase = O.handed;
            O.silentT0 = now;
        }
    } else if (withLatency && O.ctx.currentTime !== O.syncedCtxT) {
        // The silent clock goes on from here should the context stop.
        O.syncedCtxT = O.ctx.currentTime;
        O.silentBase = Math.min(p, O.handed);
        O.silentT0 = now;
    }
    p = Math.max(0, Math.min(p, O.handed));
    if (withLatency) {
        p = Math.max(p, O.lastPlayed);
        O.lastPlayed = p;
    }
    return Math.floor(p);

    function player(ctx, now) {
        var h = withLatency ? heardTime(ctx, now) : ctx.currentTime;
        var A = O.anchors, i = A.length - 1;
        while (i >= 0 && A[i].t > h) --i;
        if (i < 0) return null;
        // Anchors older than the one heard now are not needed again.
        if (withLatency && i > 0) { A.splice(0, i); i = 0; }
        var f = O.base + A[i].p, t = A[i].t;
        if (i + 1 < A.length) return Math.min(f + (h - t) * O.rate, O.base + A[i + 1].p);
        // Past the newest report: the player plays on, but no block before the first quantum after it was
        // handed over. Its reports of a gap may still be queued behind a stalled page.
        for (var k = 0; k < O.sent.length; ++k) {
            var c = O.sent[k], ready = c.t + 128 / O.rate, reach = t + (c.f - f) / O.rate;
            if (c.s <= A[i].s || c.f < f || reach >= ready) continue;
            if (h < reach) break;
            if (h < ready) return c.f;
            f = c.f;
            t = ready;
        }
        return f + (h - t) * O.rate;
    }

    // The context time whose frame reaches the listener now: from the output timestamp (the frame at the
    // output and when it got there) where the browser gives a sound one, else the clock less the latencies.
    // Its first readings after a start are wrong. An old timestamp means the device has stopped asking for
    // sound (a loaded machine, a stuck server) while the clock may run on: it cannot play on for longer than
    // what it and the browser hold (the latencies; twice, since the browser's output is bursty under load),
    // and it hears nothing past the clock.
    function heardTime(ctx, now) {
        var latency = (ctx.outputLatency || 0) + (ctx.baseLatency || 0), t = ctx.currentTime, h = t - latency;
        O.heardBy = 'latency';
        var s = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
        if (s && s.contextTime > 0.03 && s.performanceTime > 0 && s.performanceTime <= now + 1) {
            var age = Math.min(now - s.performanceTime, 1000 * Math.max(2 * latency, 0.1));
            var g = s.contextTime + age / 1000;
            if (g <= t && t - g < 10) {
                h = g;
                O.heardBy = 'timestamp';
            }
        }
        O.heardLatency = t - h;
        return h;
    }
});

// Hands `frames` interleaved 16-bit stereo frames at `samples` to the player.
EM_JS(void, tav_audio_submit, (const short* samples, int frames), {
    var O = Module.tavAudioOutput;
    if (!O || O.closed) return;
    var l = new Float32Array(frames), r = new Float32Array(frames);
    var base = samples >> 1;
    for (var i = 0; i < frames; ++i) {
        l[i] = HEAP16[base + 2 * i] / 32768;
        r[i] = HEAP16[base + 2 * i + 1] / 32768;
    }
    O.seq++;
    var chunk = {l: l, r: r, seq: O.seq};
    if (O.mode === 'worklet' || O.mode === 'script') {
        // When and where each block was handed over, until the player reports having it.
        O.sent.push({s: O.seq, f: O.handed, t: O.ctx.currentTime});
        if (O.sent.length > 1024) O.sent.shift();
    }
    O.handed += frames;
    if (O.mode === 'worklet') {
        O.node.port.postMessage(chunk, [l.buffer, r.buffer]);
    } else if (O.mode === 'script') {
        O.queue.push(chunk);
    } else if (O.mode === 'starting') {
        O.pending.push(chunk);
    } else {
        // Kept for a context that may come (back), about two seconds of it.
        O.held.push({l: l, r: r, seq: O.seq, f: O.handed - frames});
        while (O.held.length > 1 && O.handed - O.held[1].f > 2 * O.rate) O.held.shift();
    }
});

EM_JS(void, tav_audio_close, (), {
    var O = Module.tavAudioOutput;
    if (!O) return;
    O.closed = true;
    O.player = null;
    if (O.node) {
        O.node.disconnect();
        if (O.node.port) { O.node.port.postMessage({stop: true}); O.node.port.close(); }
        O.node.onaudioprocess = null;
    }
    O.node = null;
    O.queue = [];
    O.pending = [];
});

// What the program hears now, for people and tests: window.tavAudio. `songs` holds order, row, playing;
// `steady` is false while a gap in the sound is not yet accounted for (underrunFrames lags behind it);
// `latency` is how far the context time heard now is behind its clock, and `heardBy` where that came from.
EM_JS(void, tav_audio_publish, (double mixed, double audible, double start, const int* songs, int count), {
    var O = Module.tavAudioOutput;
    if (!O || typeof window === 'undefined') return;
    var list = [];
    for (var i = 0; i < count; ++i) {
        var b = (songs >> 2) + 3 * i;
        list.push({order: HEAP32[b], row: HEAP32[b + 1], playing: HEAP32[b + 2] !== 0});
    }
    var c = O.ctx;
    window.tavAudio = {
        mode: O.closed ? 'closed' : O.mode, note: O.note,
        steady: O.mode === 'silent' || !O.dry, rate: O.rate, bufferFrames: O.bufferFrames,
        mixed: mixed, audible: audible, start: start, handed: O.handed, underrunFrames: O.underrun,
        ctxTime: c ? c.currentTime : null, latency: c ? O.heardLatency : 0, heardBy: O.heardBy,
        anchor: O.anchors.length ? O.anchors[O.anchors.length - 1] : null, perfNow: performance.now(),
        songs: list
    };
    // A page that keeps window.tavAudioLog (an array) gets every report with its wall-clock moment and the
    // context time taken as heard, for timing the picture against the sound; window.tavAnchorLog, every anchor.
    if (Array.isArray(window.tavAudioLog)) {
        window.tavAudioLog.push({t: performance.timeOrigin + window.tavAudio.perfNow, audible: audible,
                                 songs: list, heard: c ? c.currentTime - O.heardLatency : null});
    }
});
// clang-format on

namespace {

struct WebOutput {
    bool open = false;
    uint32_t id = 0;
    uint64_t start = 0;  // the global mixed-frame count when the output opened: its first frame
    int bufferFrames = 0;
};

WebOutput output;
uint32_t openCount = 0;

const int blockFrames = 2048;  // one mixing call; the pump mixes as many as the buffer target asks for
const int minimumTopUp = 128;  // less than one render quantum is not worth a message

}  // namespace

bool openDeviceOutput(SoundState& state) {
    output.open = true;
    output.id = ++openCount;
    output.start = state.mixed;
    output.bufferFrames = std::max(blockFrames, state.rate * state.bufferMs / 1000);
    tav_audio_open(state.rate, output.bufferFrames);
    state.device = output.id;
    state.deviceDelayFrames = 0;
    state.openedAt = state.mixed;
    return true;
}

void closeDeviceOutput(uint32_t device) {
    if (device == 0 || device != output.id || !output.open) return;
    output.open = false;
    tav_audio_close();
}

uint64_t audibleFrameLocked(SoundState& state) {
    if (state.output != OUTPUT_DEVICE || !output.open) return state.mixed;
    double heard = state.countDeviceDelay ? tav_audio_position(1) : tav_audio_position(0);
    uint64_t audible = output.start + static_cast<uint64_t>(heard);
    return std::min(audible, state.mixed);
}

void webAudioPump() {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.output != OUTPUT_DEVICE || !output.open) return;
    const bool silent = tav_audio_tick() != 0;
    // Keep the buffer target queued: enough to cover until the next pump, even when a frame is slow.
    uint64_t consumed = output.start + static_cast<uint64_t>(tav_audio_position(0));
    uint64_t queued = state.mixed > consumed ? state.mixed - consumed : 0;
    static std::vector<int16_t> block(2 * blockFrames);
    // Nobody hears the silent output's queue: a longer one keeps its clock going through slow frames.
    const int64_t target = silent ? std::max(output.bufferFrames, state.rate) : output.bufferFrames;
    int64_t want = target - static_cast<int64_t>(queued);
    while (want >= minimumTopUp) {
        int frames = static_cast<int>(std::min<int64_t>(want, blockFrames));
        mixLocked(state, block.data(), frames);
        tav_audio_submit(block.data(), frames);
        want -= frames;
    }
    uint64_t audible = audibleFrameLocked(state);
    std::vector<int> songs;
    for (auto& song : state.songs) {
        PositionMark mark{0, 0, 0};
        song->marks.lookup(audible, mark);
        songs.insert(songs.end(), {mark.a, mark.b, song->playing ? 1 : 0});
    }
    tav_audio_publish(static_cast<double>(state.mixed), static_cast<double>(audible),
                      static_cast<double>(output.start), songs.data(), static_cast<int>(state.songs.size()));
}
