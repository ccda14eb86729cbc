// The game's sound on Linux: the library's own mixer, fed to ALSA's default
// device by a thread of ours that waits on the device and hands it a few
// milliseconds at a time, so a shot is heard a frame or two after it leaves.
// The library's ALSA driver writes from its background thread instead: at
// most one period per 10 ms run, and only once the device's poll says so. A
// sound server wakes its clients once per quantum (1024 frames by default),
// so that driver needs periods that long, five of them queued: 116 ms, every
// shot a sixth of a second late. Ours is put first in the list the library
// picks from; a driver named in the player's allegro.cfg still wins.
#include "window_system.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <allegro/platform/aintunix.h>
#include <alsa/asoundlib.h>

#include <atomic>
#include <thread>

namespace {

const int RATE = 44100;
const int FRAMES = 256;                 // mixed at a time: 5.8 ms
const unsigned QUEUED_US = 25000;       // the device's buffer: 25 ms
const int DIGI_PROMPT_ALSA = AL_ID('J', 'F', 'A', 'L');

snd_pcm_t *pcm = nullptr;
std::thread feeder;
std::atomic<bool> feeding{false};
short mix[2 * FRAMES];

// mixes a buffer and writes it whole: after an underrun the device starts
// again and takes the same buffer, so no sound is skipped
void feed()
{
   while (feeding) {
      _mix_some_samples(reinterpret_cast<uintptr_t>(mix), 0, TRUE);
      snd_pcm_sframes_t done = 0;
      for (int left = FRAMES; feeding && left > 0; left -= done > 0 ? done : 0) {
         done = snd_pcm_writei(pcm, mix + 2 * (FRAMES - left), left);
         if (done < 0 && snd_pcm_recover(pcm, static_cast<int>(done), 1) < 0)
            return;
      }
   }
}

int fail(const char *why)
{
   ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text(why));
   if (pcm)
      snd_pcm_close(pcm);
   pcm = nullptr;
   return -1;
}

int prompt_detect(int input)
{
   if (input || snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
      return FALSE;
   snd_pcm_close(pcm);
   pcm = nullptr;
   return TRUE;
}

int prompt_init(int input, int voices);
void prompt_exit(int input);

int prompt_buffer_size()
{
   return FRAMES;
}

DIGI_DRIVER digi_prompt = {
   DIGI_PROMPT_ALSA, empty_string, empty_string, "ALSA, prompt", 0, 0, MIXER_MAX_SFX, MIXER_DEF_SFX,
   prompt_detect, prompt_init, prompt_exit,
   nullptr, nullptr,   // set_mixer_volume, get_mixer_volume
   nullptr, nullptr,   // lock_voice, unlock_voice
   prompt_buffer_size,
   _mixer_init_voice, _mixer_release_voice, _mixer_start_voice, _mixer_stop_voice, _mixer_loop_voice,
   _mixer_get_position, _mixer_set_position,
   _mixer_get_volume, _mixer_set_volume, _mixer_ramp_volume, _mixer_stop_volume_ramp,
   _mixer_get_frequency, _mixer_set_frequency, _mixer_sweep_frequency, _mixer_stop_frequency_sweep,
   _mixer_get_pan, _mixer_set_pan, _mixer_sweep_pan, _mixer_stop_pan_sweep,
   _mixer_set_echo, _mixer_set_tremolo, _mixer_set_vibrato,
   0, 0,
   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr
};

int prompt_init(int input, int voices)
{
   if (input)
      return -1;
   if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
      return fail("Can not open card/pcm device");
   if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 2, RATE, 1,
                          QUEUED_US) < 0)
      return fail("Can not set the sound's format");
   digi_prompt.voices = voices;
   if (_mixer_init(2 * FRAMES, RATE, TRUE, TRUE, &digi_prompt.voices) != 0)
      return fail("Can not init software mixer");
   feeding = true;
   feeder = std::thread(feed);
   return 0;
}

void prompt_exit(int input)
{
   if (input || !pcm)
      return;
   feeding = false;
   feeder.join();
   snd_pcm_drop(pcm);
   snd_pcm_close(pcm);
   pcm = nullptr;
   _mixer_exit();
}

}  // namespace

void prefer_prompt_sound()
{
   _unix_register_digi_driver(DIGI_PROMPT_ALSA, &digi_prompt, TRUE, TRUE);
}
