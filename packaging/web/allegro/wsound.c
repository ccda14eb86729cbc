/* The browser's sound driver: the library's mixer, 16-bit stereo, its
 * buffers queued back to back on Web Audio a little ahead of the clock:
 * as little as the machine allows, as each sound waits that long.
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
/* seconds of sound queued ahead of the clock: at first three buffers, which
   outlast the page's frame (it fills the queue once a frame); a buffer more
   each time the queue runs dry while the page is shown (a busy machine stalls
   a page now and then), up to a quarter of a second, and a buffer less after
   STEADY seconds in which it had a buffer to spare, back to the first */
#define BUFFER ((double)FRAMES / RATE)
#define FIRST_AHEAD (3 * BUFFER)
#define MOST_AHEAD 0.25
#define STEADY 2.0

static short buffer[2 * FRAMES];
static int playing;
static double ahead = FIRST_AHEAD;

/* true when the page can play sound */
EM_JS(int, web_audio_exists, (void), {
   return !!(window.AudioContext || window.webkitAudioContext);
});

EM_JS(void, web_audio_open, (int rate), {
   var Context = window.AudioContext || window.webkitAudioContext;
   Module.audioContext = new Context({ sampleRate: rate, latencyHint: "interactive" });
   Module.audioFrame = 0;   /* where the queue ends, in frames of the context's clock */
   /* the page opened with ?tap=URL: the mix also goes there as it is mixed (16-bit stereo),
      eight buffers at a time, each post at its byte offset in ?at=, so that tests hear the
      mix itself; what is left is posted when the game ends */
   Module.tapped = 0;
   Module.tapParts = [];
   Module.tapFlush = function () {
      if (!Module.tapParts.length)
         return;
      var body = new Blob(Module.tapParts);
      fetch(Module.soundTap + "?at=" + Module.tapped, { method: "POST", body: body });
      Module.tapped += body.size;
      Module.tapParts = [];
   };
   Module.audioFlowing = false;   /* queued without a break, the page shown all along */
   document.addEventListener("visibilitychange", function () { Module.audioFlowing = false; });
});

EM_JS(void, web_audio_say_ahead, (int ms), {
   console.log("junkfall: the sound ran dry; now queued " + ms + " ms ahead");
});

EM_JS(double, web_audio_ahead, (void), {
   var ctx = Module.audioContext;
   return ctx.state == "running" ? Module.audioFrame / ctx.sampleRate - ctx.currentTime : 1;
});

/* true when the queue had run dry */
EM_JS(int, web_audio_queue, (const short *data, int frames), {
   var ctx = Module.audioContext, b = ctx.createBuffer(2, frames, ctx.sampleRate);
   var l = b.getChannelData(0), r = b.getChannelData(1), s = data >> 1;
   for (var i = 0; i < frames; i++) {
      l[i] = HEAP16[s + 2 * i] / 32768;
      r[i] = HEAP16[s + 2 * i + 1] / 32768;
   }
   var src = ctx.createBufferSource();
   src.buffer = b;
   src.connect(ctx.destination);
   /* after a gap (a hidden page, a stall) the queue starts again from now */
   var clock = ctx.currentTime * ctx.sampleRate, now = Math.ceil(clock + 0.01 * ctx.sampleRate);
   var dry = Module.audioFlowing && Module.audioFrame < clock;
   Module.audioFlowing = !document.hidden;
   Module.audioFrame = Math.max(Module.audioFrame, now);
   src.start(Module.audioFrame / ctx.sampleRate);
   Module.audioFrame += frames;
   if (Module.soundTap && Module.tapParts.push(HEAP16.slice(s, s + 2 * frames)) == 8)
      Module.tapFlush();
   return dry;
});

void _web_fill_sound(void)
{
   static double steady_since, lowest = 1;
   double now = emscripten_get_now() / 1000, left = web_audio_ahead();

   lowest = MIN(lowest, left);
   while (playing && web_audio_ahead() < ahead) {
      _mix_some_samples((uintptr_t)buffer, 0, TRUE);
      if (web_audio_queue(buffer, FRAMES)) {
         ahead = MIN(ahead + BUFFER, MOST_AHEAD);
         web_audio_say_ahead((int)(ahead * 1000 + 0.5));
         steady_since = now;
         lowest = 1;
      }
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
   web_audio_open(RATE);
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
   _mixer_start_voice,
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
