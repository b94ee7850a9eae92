#pragma once
// Failures that tests can switch on in the platform stand-ins, so that the
// engine's handling of a refused device, object or thread can be exercised
// on a machine where nothing fails. Every fault is off unless a test sets it.
namespace platform {

enum class Fault : int {
    ThreadCreate,              // Thread::Start fails
    EventWait,                 // WaitForEvents reports a failed wait
    CreateDirectSound,         // CreateDirectSound8 gives no object
    DirectSoundInitialize,     // IDirectSound8::Initialize fails
    DirectSoundPriorityLevel,  // SetCooperativeLevel(DSSCL_PRIORITY) fails
    DirectSoundNormalLevel,    // SetCooperativeLevel(DSSCL_NORMAL) fails
    DirectSoundCompact,        // IDirectSound8::Compact fails
    CreateSoundBuffer,         // IDirectSound8::CreateSoundBuffer fails
    SoundBufferSetFormat,      // IDirectSoundBuffer::SetFormat fails
    CreateDirectMusicLoader,
    CreateDirectMusicPerformance,
    PerformanceInitAudio,
    CreateDirectPlayPeer,
    DirectPlayPeerInitialize,
    CreateDirectDraw,
    DirectDrawInitialize,
    DirectDrawCooperativeLevel,
    SaveFolderReadOnly,        // WriteFileAtomic cannot create its temporary file (EROFS)
    SaveDiskFull,              // WriteFileAtomic's writes fail (ENOSPC)
    Count
};

void SetFault(Fault fault, bool on = true);
bool FaultSet(Fault fault);
void ClearFaults();

}  // namespace platform
