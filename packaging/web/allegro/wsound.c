/* The browser's sound driver: the library's mixer, 16-bit stereo, its
 * buffers queued back to back on Web Audio a little ahead of the clock, as
 * little as the machine allows; a sound that starts is mixed into those the
 * browser has not begun to play, so it waits for the queue's head alone.
 * The mixer steps through a sample in 1/256 frames, so it mixes at 44.1 kHz,
 * where the game's 22.05 kHz samples keep their pitch exactly (at 48 kHz they
 * would play half a percent flat); the browser resamples for the device. A
 * browser plays sound once the player has clicked the page: the game starts
 * on that click.
 */
#include "web.h"

#include <emscripten.h>

#define RATE 44100
#define FRAMES 512         /* a mixer buffer: 11.6 ms */
/* seconds of sound queued ahead of the clock: at first ten buffers, which
   outlast the page's frame (it fills the queue once a frame) and the stalls
   of an engine that draws in software (WebKit's main thread stops for up to
   90 ms now and then); a sound that starts does not wait for them. A buffer
   more each time the queue runs dry while the page is shown, up to a quarter
   of a second, and a buffer less after STEADY seconds in which it had a
   buffer to spare, back to the first */
#define BUFFER ((double)FRAMES / RATE)
#define FIRST_AHEAD (10 * BUFFER)
#define MOST_AHEAD 0.25
#define STEADY 2.0

/* the buffers last queued, by their number, kept for a sound that starts:
   those the browser has not begun to play get it mixed in at once (the page
   keeps as many of its nodes, by the same number) */
#define KEPT 32
static short kept[KEPT][2 * FRAMES];
static unsigned queued;      /* buffers queued so far */
static unsigned settled;     /* buffers before it may have begun to play: never mixed again */
static short buffer[2 * FRAMES];
static int playing;
static double ahead = FIRST_AHEAD;

/* true when the page can play sound */
EM_JS(int, web_audio_exists, (void), {
   return !!(window.AudioContext || window.webkitAudioContext);
});

EM_JS(void, web_audio_open, (int rate, int kept), {
   var Context = window.AudioContext || window.webkitAudioContext;
   Module.audioContext = new Context({ sampleRate: rate, latencyHint: "interactive" });
   Module.audioFrame = 0;   /* where the queue ends, in frames of the context's clock */
   /* the page opened with ?tap=URL: the mix also goes there (16-bit stereo) once it is settled,
      that is once the browser may have begun to play it, eight buffers at a time, each post at
      its byte offset in ?at=; so the tests hear it as it is played, and a sound begun after a
      point in what they have heard lands after that point. What is left is posted when the
      game ends */
   Module.tapFrom = 0;     /* buffers posted: the one that tapParts[0] holds */
   Module.tapParts = [];
   Module.tapPosts = Promise.resolve();   /* one after another */
   Module.tapFlush = function (upto) {
      var parts = Module.tapParts.splice(0, upto === undefined ? Infinity : upto - Module.tapFrom);
      if (!parts.length)
         return;
      var body = new Blob(parts), at = Module.tapFrom * parts[0].byteLength;
      Module.tapPosts = Module.tapPosts.then(function () {
         return fetch(Module.soundTap + "?at=" + at, { method: "POST", body: body });
      });
      Module.tapFrom += parts.length;
   };
   Module.audioFlowing = false;   /* queued without a break, the page shown all along */
   /* the game's sound off silences what is queued too */
   Module.audioOut = Module.audioContext.createGain();
   Module.audioOut.connect(Module.audioContext.destination);
   Module.audioOn = 1;
   /* the last buffers queued, by their number, each with where it starts; buffer n of the
      mix (16-bit stereo at data) put at frame at of the context's clock */
   Module.audioKept = kept;
   Module.audioNodes = [];
   Module.audioPut = function (data, frames, n, at) {
      var ctx = Module.audioContext, b = ctx.createBuffer(2, frames, ctx.sampleRate);
      var l = b.getChannelData(0), r = b.getChannelData(1), s = data >> 1;
      for (var i = 0; i < frames; i++) {
         l[i] = HEAP16[s + 2 * i] / 32768;
         r[i] = HEAP16[s + 2 * i + 1] / 32768;
      }
      var src = ctx.createBufferSource();
      src.buffer = b;
      src.connect(Module.audioOut);
      src.start(at / ctx.sampleRate);
      Module.audioNodes[n % Module.audioKept] = { node: src, at: at };
      Module.soundTap && Module.tapPut(HEAP16.slice(s, s + 2 * frames), n);
   };
   /* the tap: buffer n of the mix, new or mixed again (never one posted: see settled) */
   Module.tapPut = function (part, n) {
      Module.tapParts[n - Module.tapFrom] = part;
   };
   document.addEventListener("visibilitychange", function () { Module.audioFlowing = false; });
});

/* the sound on or off at the output: at once, not after the queue (in a few
   milliseconds, so that it does not click) */
EM_JS(void, web_audio_on, (int on), {
   var ctx = Module.audioContext;
   if (on != Module.audioOn)
      Module.audioOut.gain.setTargetAtTime(Module.audioOn = on, ctx.currentTime, 0.002);
});

EM_JS(void, web_audio_say_ahead, (int ms), {
   console.log("junkfall: the sound ran dry; now queued " + ms + " ms ahead");
});

EM_JS(double, web_audio_ahead, (void), {
   var ctx = Module.audioContext;
   return ctx.state == "running" ? Module.audioFrame / ctx.sampleRate - ctx.currentTime : 1;
});

/* true when the queue had run dry */
EM_JS(int, web_audio_queue, (const short *data, int frames, int n), {
   var ctx = Module.audioContext;
   /* after a gap (a hidden page, a stall) the queue starts again from now */
   var clock = ctx.currentTime * ctx.sampleRate, now = Math.ceil(clock + 0.01 * ctx.sampleRate);
   var dry = Module.audioFlowing && Module.audioFrame < clock;
   Module.audioFlowing = !document.hidden;
   Module.audioFrame = Math.max(Module.audioFrame, now);
   Module.audioPut(data, frames, n, Module.audioFrame);
   Module.audioFrame += frames;
   return dry;
});

/* how many of the buffers last queued the browser has surely not begun to
   play. It renders in bursts, a block of 128 frames more before it hears of a
   change: its base latency, where it tells it (Chromium's 512 frames, WebKit's
   128); where it does not (Firefox), 1024, its 10 ms bursts and a clock that
   the page sees only between tasks */
EM_JS(int, web_audio_unplayed, (int n), {
   var ctx = Module.audioContext, burst = ctx.baseLatency ? ctx.baseLatency * ctx.sampleRate : 1024;
   var from = ctx.currentTime * ctx.sampleRate + burst + 128;
   var kept = Module.audioKept, k = 0;
   while (k < Math.min(n, kept - 1) && Module.audioNodes[(n - k - 1) % kept].at >= from)
      k++;
   return ctx.state == "running" ? k : 0;
});

/* the buffers before settled may have begun to play and are never mixed again */
EM_JS(void, web_audio_settled, (int settled), {
   if (Module.soundTap && settled - Module.tapFrom >= 8)
      Module.tapFlush(settled);
});

/* buffer n, mixed again, in place of the one queued before, which never plays */
EM_JS(void, web_audio_requeue, (const short *data, int frames, int n), {
   var old = Module.audioNodes[n % Module.audioKept];
   old.node.stop();
   old.node.disconnect();
   Module.audioPut(data, frames, n, old.at);
});

/* A sound that starts is mixed at once into the buffers queued that the
   browser has not begun to play, rather than after them all, and so heard
   that much sooner: alone (the other voices stand still meanwhile) and added
   to them, then on from their end as usual. */
static void web_start_voice(int voice)
{
   int fresh = _mixer_get_position(voice) < 0, others[MIXER_MAX_SFX], k = 0, i;
   unsigned n;

   _mixer_start_voice(voice);
   if (!playing || !fresh || !(n = MIN(web_audio_unplayed(queued), queued - settled)))
      return;
   for (i = 0; i < digi_web.voices; i++)
      if (i != voice && _mixer_get_position(i) >= 0) {
         _mixer_stop_voice(i);
         others[k++] = i;
      }
   for (n = queued - n; n < queued; n++) {
      short *mix = kept[n % KEPT];
      _mix_some_samples((uintptr_t)buffer, 0, TRUE);
      for (i = 0; i < 2 * FRAMES; i++)
         mix[i] = MID(-32768, mix[i] + buffer[i], 32767);
      web_audio_requeue(mix, FRAMES, n);
   }
   while (k--)
      _mixer_start_voice(others[k]);
}

void _web_fill_sound(void)
{
   static double steady_since, lowest = 1;
   double now = emscripten_get_now() / 1000, left = web_audio_ahead();

   lowest = MIN(lowest, left);
   if (playing)
      web_audio_on(_digi_volume != 0);   /* -1: never set, full */
   while (playing && web_audio_ahead() < ahead) {
      short *next = kept[queued % KEPT];
      _mix_some_samples((uintptr_t)next, 0, TRUE);
      if (web_audio_queue(next, FRAMES, queued++)) {
         ahead = MIN(ahead + BUFFER, MOST_AHEAD);
         web_audio_say_ahead((int)(ahead * 1000 + 0.5));
         steady_since = now;
         lowest = 1;
      }
   }
   if (playing) {
      settled = MAX(settled, queued - web_audio_unplayed(queued));
      web_audio_settled(settled);
   }
   /* a buffer less only where, all the while, the queue never came within a
      buffer of running dry: the same stalls would not empty the shorter one */
   if (now - steady_since >= STEADY) {
      if (lowest > BUFFER + 0.002)
         ahead = MAX(ahead - BUFFER, FIRST_AHEAD);
      steady_since = now;
      lowest = 1;
   }
}

static int web_digi_detect(int input)
{
   return !input && web_audio_exists();
}

static int web_digi_init(int input, int voices)
{
   if (input)
      return -1;
   if (!web_audio_exists()) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("This browser plays no sound"));
      return -1;
   }
   web_audio_open(RATE, KEPT);
   digi_web.voices = voices;
   if (_mixer_init(2 * FRAMES, RATE, TRUE, TRUE, &digi_web.voices) != 0)
      return -1;
   playing = TRUE;
   return 0;
}

static void web_digi_exit(int input)
{
   if (input)
      return;
   playing = FALSE;
   _mixer_exit();
}

static int web_digi_buffer_size(void)
{
   return FRAMES;
}

DIGI_DRIVER digi_web = {
   DIGI_WEB,
   empty_string,
   empty_string,
   "Web Audio",
   0, 0,
   MIXER_MAX_SFX,
   MIXER_DEF_SFX,
   web_digi_detect,
   web_digi_init,
   web_digi_exit,
   NULL, NULL,   /* set_mixer_volume, get_mixer_volume */
   NULL, NULL,   /* lock_voice, unlock_voice */
   web_digi_buffer_size,
   _mixer_init_voice,
   _mixer_release_voice,
   web_start_voice,
   _mixer_stop_voice,
   _mixer_loop_voice,
   _mixer_get_position,
   _mixer_set_position,
   _mixer_get_volume,
   _mixer_set_volume,
   _mixer_ramp_volume,
   _mixer_stop_volume_ramp,
   _mixer_get_frequency,
   _mixer_set_frequency,
   _mixer_sweep_frequency,
   _mixer_stop_frequency_sweep,
   _mixer_get_pan,
   _mixer_set_pan,
   _mixer_sweep_pan,
   _mixer_stop_pan_sweep,
   _mixer_set_echo,
   _mixer_set_tremolo,
   _mixer_set_vibrato,
   0, 0,
   NULL, NULL, NULL, NULL, NULL, NULL
};
