#pragma once
// The engine's service entry points that the application frame calls: start
// and stop of the services selected by the subsystem mask (bits 2 to 7), and
// the two window messages the services answer. Every Destroy may run without
// its Initialize.
#include "engine/core/types.h"

// Bit 2: the DirectSound service worker.
u32 InitializeDirectSound();
void DestroyDirectSound();
// Bit 3: the DirectMusic service worker.
u32 InitializeDirectMusic();
void DestroyDirectMusic();
// Bit 4: the DirectShow audio service worker (the game's mask starts it).
u32 InitializeDirectShow();
void DestroyDirectShow();
// Bit 5: the DirectPlay peer thread.
u32 InitializeDirectPlay();
void DestroyDirectPlay();
// Bit 6: the DirectDraw object of the multimedia streams.
u32 InitializeMediaStream();
void DestroyMediaStream();
// Bit 7: MCI devices and the audio mixer's volumes.
u32 InitializeMCI();
void DestroyMCI();

// WM_USER + 1: drains the media events of the DirectShow objects (nothing when
// the DirectShow service is not running).
void DirectShowPumpEvents();
// MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL: loops or closes the MCI devices
// that have stopped.
void MciNotify();
