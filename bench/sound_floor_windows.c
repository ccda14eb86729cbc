/* The least time from a press to its sound that DirectSound allows a Windows
 * program: an 800 x 600 window that, on each button press, starts a tone
 * kept ready in a secondary buffer, as the library's DirectSound driver starts
 * a sample. No library, no mixer and no game tick between the press and the
 * start. Built by the Windows build; measure_web.py measures it as it
 * measures the game; it ends by its window's close or its process's end.
 */
#define COBJMACROS
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <math.h>

enum { RATE = 44100, FRAMES = RATE / 10 };

static LPDIRECTSOUNDBUFFER tone;

static LRESULT CALLBACK on_event(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
   if (msg == WM_LBUTTONDOWN) {
      IDirectSoundBuffer_SetCurrentPosition(tone, 0);
      IDirectSoundBuffer_Play(tone, 0, 0, 0);
      return 0;
   }
   if (msg == WM_DESTROY)
      PostQuitMessage(0);
   return DefWindowProc(w, msg, wp, lp);
}

static LPDIRECTSOUNDBUFFER make_tone(LPDIRECTSOUND ds)
{
   WAVEFORMATEX f = { WAVE_FORMAT_PCM, 1, RATE, 2 * RATE, 2, 16, 0 };
   DSBUFFERDESC d = { sizeof d, DSBCAPS_GLOBALFOCUS | DSBCAPS_STATIC, 2 * FRAMES, 0, &f, {0} };
   LPDIRECTSOUNDBUFFER b;
   void *p, *q;
   DWORD n, m;
   if (FAILED(IDirectSound_CreateSoundBuffer(ds, &d, &b, NULL)) ||
       FAILED(IDirectSoundBuffer_Lock(b, 0, 0, &p, &n, &q, &m, DSBLOCK_ENTIREBUFFER)))
      ExitProcess(1);
   for (int i = 0; i < FRAMES; i++)
      ((short *)p)[i] = (short)(8000 * sin(i * 2 * 3.14159265 * 1000 / RATE));
   IDirectSoundBuffer_Unlock(b, p, n, q, m);
   return b;
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
   WNDCLASS c = { 0, on_event, 0, 0, inst, NULL, LoadCursor(NULL, IDC_ARROW),
                  (HBRUSH)GetStockObject(BLACK_BRUSH), NULL, "floor" };
   LPDIRECTSOUND ds;
   MSG msg;
   (void)prev, (void)cmd;
   RegisterClass(&c);
   HWND w = CreateWindow("floor", "Sound floor", WS_POPUP, 0, 0, 800, 600,
                         NULL, NULL, inst, NULL);
   if (FAILED(DirectSoundCreate(NULL, &ds, NULL)) ||
       FAILED(IDirectSound_SetCooperativeLevel(ds, w, DSSCL_PRIORITY)))
      return 1;
   tone = make_tone(ds);
   ShowWindow(w, show);   /* shown once it can sound */
   while (GetMessage(&msg, NULL, 0, 0) > 0)
      DispatchMessage(&msg);
   return 0;
}
