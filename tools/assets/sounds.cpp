// the sounds: every effect and jingle synthesised from oscillators, noise and filters
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assets.h"

namespace {

const int RATE = 22050;

using Wave = std::vector<float>;

Wave silence(float seconds)
{
   return Wave(static_cast<size_t>(seconds * RATE), 0.0f);
}

// attack then exponential decay; tau in seconds
float env_ad(float t, float attack, float tau)
{
   if (t < 0)
      return 0;
   if (t < attack)
      return t / attack;
   return std::exp(-(t - attack) / tau);
}

// a resonant band-pass (state variable) whose centre can move every sample
class Bandpass
{
public:
   float run(float in, float hz, float q)
   {
      float f = 2 * std::sin(PI_F * std::min(hz, RATE * 0.22f) / RATE);
      low_ += f * band_;
      float high = in - low_ - band_ / q;
      band_ += f * high;
      return band_;
   }

private:
   float low_ = 0, band_ = 0;
};

class Lowpass
{
public:
   float run(float in, float hz)
   {
      float a = 1 - std::exp(-2 * PI_F * hz / RATE);
      y_ += a * (in - y_);
      return y_;
   }

private:
   float y_ = 0;
};

// fades both ends so no sample starts or stops on a step, then scales to a
// fixed peak well short of full scale
void finish(Wave &w, float peak, float fade_out = 0.03f)
{
   size_t in = static_cast<size_t>(0.004f * RATE), out = static_cast<size_t>(fade_out * RATE);
   for (size_t i = 0; i < w.size(); i++) {
      float g = 1;
      if (i < in)
         g *= static_cast<float>(i) / in;
      if (i + out > w.size()) {
         float k = static_cast<float>(w.size() - i) / out;
         g *= k * k;   // eases out rather than stopping dead
      }
      w[i] *= g;
   }
   float top = 0;
   for (float v : w)
      top = std::max(top, std::fabs(v));
   if (top > 0)
      for (float &v : w)
         v *= peak / top;
   w.front() = 0;
   w.back() = 0;
}

// a tone made of a few harmonics, soft and round
float voice(float phase, float brightness)
{
   return std::sin(phase) + brightness * 0.5f * std::sin(2 * phase) +
          brightness * 0.3f * std::sin(3 * phase) + brightness * brightness * 0.15f * std::sin(5 * phase);
}

float note_hz(int semitones_from_a4)
{
   return 440.0f * std::pow(2.0f, semitones_from_a4 / 12.0f);
}

// banana launch: a falling zap over a puff of air
Wave fire_sound()
{
   Wave w = silence(0.24f);
   Rng rng(8);
   Bandpass bp;
   float phase = 0;
   for (size_t i = 0; i < w.size(); i++) {
      float t = static_cast<float>(i) / RATE;
      float hz = 180 + 1100 * std::exp(-t / 0.045f);
      phase += 2 * PI_F * hz / RATE;
      float zap = std::tanh(2.2f * std::sin(phase)) * env_ad(t, 0.003f, 0.05f);
      float air =
          bp.run(rng.range(-1, 1), 600 + 3500 * std::exp(-t / 0.06f), 1.6f) * env_ad(t, 0.006f, 0.07f);
      w[i] = 0.55f * zap + 0.9f * air;
   }
   finish(w, 0.8f);
   return w;
}

// hit one: a wet splat, a thump under dull noise with a drip after
Wave splat_sound()
{
   Wave w = silence(0.40f);
   Rng rng(11);
   Lowpass lp, lp2;
   float phase = 0, drip = 0;
   for (size_t i = 0; i < w.size(); i++) {
      float t = static_cast<float>(i) / RATE;
      float n = lp.run(rng.range(-1, 1), 300 + 2600 * std::exp(-t / 0.05f));
      n = lp2.run(n, 3000) * env_ad(t, 0.002f, 0.07f) * 2.6f;
      float hz = 55 + 110 * std::exp(-t / 0.04f);
      phase += 2 * PI_F * hz / RATE;
      float thump = std::sin(phase) * env_ad(t, 0.003f, 0.08f);
      float d = 0;
      const float drips[2] = { 0.17f, 0.26f };
      for (float at : drips) {
         float dt = t - at;
         if (dt > 0 && dt < 0.06f) {
            drip += 2 * PI_F * (650 + 700 * dt / 0.06f) / RATE;
            d += 0.25f * std::sin(drip) * env_ad(dt, 0.004f, 0.015f);
         }
      }
      w[i] = 0.8f * n + 0.7f * thump + d;
   }
   finish(w, 0.8f, 0.08f);
   return w;
}

// hit two: a round pop, a quick upward bloop
Wave pop_sound()
{
   Wave w = silence(0.22f);
   Rng rng(12);
   Bandpass bp;
   float phase = 0;
   for (size_t i = 0; i < w.size(); i++) {
      float t = static_cast<float>(i) / RATE;
      float hz = 380 + 900 * (1 - std::exp(-t / 0.02f));
      phase += 2 * PI_F * hz / RATE;
      float tone = (std::sin(phase) + 0.3f * std::sin(2 * phase)) * env_ad(t, 0.002f, 0.045f);
      float click = bp.run(rng.range(-1, 1), 2500, 2.0f) * env_ad(t, 0.0008f, 0.004f);
      w[i] = tone + 0.8f * click;
   }
   finish(w, 0.8f);
   return w;
}

// hit three: a crunch, a spray of short gritty crackles over a low rumble
Wave crunch_sound()
{
   Wave w = silence(0.45f);
   Rng rng(13);
   struct Grain
   {
      float at, len, hz, amp;
   };
   std::vector<Grain> grains;
   for (int i = 0; i < 34; i++) {
      float at = 0.3f * std::pow(rng.unit(), 1.7f);
      grains.push_back({ at, rng.range(0.004f, 0.016f), rng.range(900, 4200),
                         rng.range(0.4f, 1.0f) * std::exp(-at / 0.15f) });
   }
   std::vector<Bandpass> bps(grains.size());
   Lowpass rumble;
   float held = 0;
   for (size_t i = 0; i < w.size(); i++) {
      float t = static_cast<float>(i) / RATE;
      float v = 0;
      for (size_t g = 0; g < grains.size(); g++) {
         float dt = t - grains[g].at;
         if (dt < 0 || dt > grains[g].len * 3)
            continue;
         float e = std::sin(PI_F * std::min(1.0f, dt / grains[g].len)) * grains[g].amp;
         v += bps[g].run(rng.range(-1, 1), grains[g].hz, 3.0f) * e * 2.5f;
      }
      v += rumble.run(rng.range(-1, 1), 350) * env_ad(t, 0.003f, 0.1f) * 3.0f;
      // hold every fourth sample for a coarse, brittle edge
      if (i % 4 == 0)
         held = v;
      w[i] = held;
   }
   Lowpass smooth;   // takes the buzz off the held steps
   for (float &v : w)
      v = smooth.run(v, 6000);
   finish(w, 0.8f, 0.08f);
   return w;
}

// add a note into w at the given start, with an attack, a hold and a tail
void add_note(Wave &w, float start, float hz, float len, float amp, float brightness, float vibrato)
{
   size_t first = static_cast<size_t>(start * RATE);
   float phase = 0;
   for (size_t i = first; i < w.size(); i++) {
      float t = static_cast<float>(i - first) / RATE;
      float e = t < 0.006f
                    ? t / 0.006f
                    : (t < len ? 1.0f - 0.35f * (t - 0.006f) / len : 0.65f * std::exp(-(t - len) / 0.09f));
      if (t > len + 0.6f)
         break;
      e *= std::exp(-t / 0.9f);
      float f = hz * (1 + vibrato * std::sin(2 * PI_F * 5.5f * t) * std::min(1.0f, t / 0.3f));
      phase += 2 * PI_F * f / RATE;
      w[i] += amp * e * voice(phase, brightness * std::exp(-t / 0.4f));
   }
}

// the menu jingle: a rising arpeggio landing on a bright chord
Wave jingle_sound()
{
   Wave w = silence(1.8f);
   // semitones from A4: G4 C5 E5 G5, then C6 with E5 and G5
   const int run[] = { -2, 3, 7, 10, 15 };
   for (int i = 0; i < 4; i++)
      add_note(w, i * 0.11f, note_hz(run[i]), 0.09f, 0.5f, 0.9f, 0);
   add_note(w, 0.44f, note_hz(15), 0.7f, 0.5f, 0.8f, 0.006f);
   add_note(w, 0.44f, note_hz(10), 0.7f, 0.35f, 0.6f, 0.006f);
   add_note(w, 0.44f, note_hz(7), 0.7f, 0.3f, 0.6f, 0.006f);
   add_note(w, 0.44f, note_hz(-21), 0.7f, 0.45f, 0.4f, 0);   // C3 underneath
   // a soft echo
   size_t lag = static_cast<size_t>(0.16f * RATE);
   for (size_t i = w.size() - 1; i >= lag; i--)
      w[i] += 0.28f * w[i - lag];
   finish(w, 0.8f, 0.3f);
   return w;
}

// a struck bell: inharmonic partials, the high ones dying first
void add_bell(Wave &w, float start, float hz, float amp)
{
   const float ratio[] = { 1.0f, 2.0f, 2.76f, 5.4f, 8.93f };
   const float level[] = { 1.0f, 0.6f, 0.4f, 0.25f, 0.12f };
   const float tau[] = { 0.7f, 0.45f, 0.3f, 0.16f, 0.08f };
   size_t first = static_cast<size_t>(start * RATE);
   for (size_t i = first; i < w.size(); i++) {
      float t = static_cast<float>(i - first) / RATE;
      float v = 0;
      for (int p = 0; p < 5; p++)
         if (hz * ratio[p] < 0.45f * RATE)   // nothing past nyquist to fold back
            v += level[p] * std::sin(2 * PI_F * hz * ratio[p] * t) * env_ad(t, 0.002f, tau[p]);
      w[i] += amp * v;
   }
}

// the studio card: a three-stroke chime
Wave chime_sound()
{
   Wave w = silence(1.9f);
   add_bell(w, 0.0f, note_hz(14), 0.6f);   // B5
   add_bell(w, 0.18f, note_hz(19), 0.55f);   // E6
   add_bell(w, 0.36f, note_hz(26), 0.5f);   // B6
   add_bell(w, 0.36f, note_hz(7), 0.35f);   // E5 beneath the last
   finish(w, 0.75f, 0.5f);
   return w;
}

// the title picture: a rising whoosh that lands on a chord with a thump
Wave whoosh_sound()
{
   Wave w = silence(1.95f);
   Rng rng(21);
   Bandpass bp1, bp2;
   float thump = 0;
   const float land = 0.62f;
   for (size_t i = 0; i < w.size(); i++) {
      float t = static_cast<float>(i) / RATE;
      float sweep = t < land ? t / land : 1.0f;
      float hz = 250 + 2600 * sweep * sweep;
      float rise = t < land ? std::pow(t / land, 2.0f) : std::exp(-(t - land) / 0.12f);
      float n = rng.range(-1, 1);
      float air = (bp1.run(n, hz, 3.0f) + 0.6f * bp2.run(n, hz * 1.5f, 4.0f)) * rise;
      float dt = t - land;
      float boom = 0;
      if (dt > 0) {
         thump += 2 * PI_F * (48 + 70 * std::exp(-dt / 0.05f)) / RATE;
         boom = std::sin(thump) * env_ad(dt, 0.004f, 0.18f);
      }
      w[i] = 0.9f * air + 0.9f * boom;
   }
   // the chord: C major, a little detuned for width
   const int chord[] = { -9, -5, -2, 3 };
   for (int n : chord) {
      add_note(w, land, note_hz(n), 0.75f, 0.16f, 0.7f, 0.004f);
      add_note(w, land, note_hz(n) * 1.004f, 0.75f, 0.12f, 0.7f, 0.004f);
   }
   finish(w, 0.8f, 0.4f);
   return w;
}

bool write_wav(const std::filesystem::path &path, const Wave &w)
{
   std::vector<unsigned char> out;
   auto u32 = [&](uint32_t v) {
      for (int i = 0; i < 4; i++)
         out.push_back(static_cast<unsigned char>(v >> (8 * i)));
   };
   auto u16 = [&](uint32_t v) {
      out.push_back(static_cast<unsigned char>(v));
      out.push_back(static_cast<unsigned char>(v >> 8));
   };
   auto tag = [&](const char *t) { out.insert(out.end(), t, t + 4); };
   uint32_t data = static_cast<uint32_t>(w.size() * 2);
   tag("RIFF");
   u32(36 + data);
   tag("WAVE");
   tag("fmt ");
   u32(16);
   u16(1);   // PCM
   u16(1);   // mono
   u32(RATE);
   u32(RATE * 2);
   u16(2);
   u16(16);
   tag("data");
   u32(data);
   for (float v : w) {
      long s = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
      u16(static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(s))));
   }
   FILE *f = std::fopen(path.string().c_str(), "wb");
   if (!f)
      return false;
   bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
   return std::fclose(f) == 0 && ok;
}

}   // namespace

bool write_sounds(const std::filesystem::path &dir)
{
   struct Sound
   {
      const char *file;
      Wave (*make)();
   };
   const Sound sounds[] = {
      { "fire.wav", fire_sound },      { "hit1.wav", splat_sound },   { "hit2.wav", pop_sound },
      { "hit3.wav", crunch_sound },    { "title.wav", jingle_sound }, { "splash1.wav", chime_sound },
      { "splash2.wav", whoosh_sound },
   };
   bool ok = true;
   for (const Sound &s : sounds)
      if (!write_wav(dir / s.file, s.make())) {
         std::fprintf(stderr, "mkassets: cannot write %s\n", s.file);
         ok = false;
      }
   return ok;
}
