#pragma once
// Points at which the platform stand-ins can be made to fail, so that the
// engine's handling of a refused device, object or thread can be exercised
// on a machine where nothing fails. The switches that turn them on belong to
// the tests (tests/support/faults.h); the program never installs any, so
// every point reads "no fault".
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
    SaveFolderReadOnly,  // WriteFileAtomic cannot create its temporary file (EROFS)
    SaveDiskFull,        // WriteFileAtomic's writes fail (ENOSPC)
    ReadError,           // ReadRegularFile's reads fail (EIO)
    Count
};

// Answers whether a fault is on; installed by the tests' fault switches.
using FaultSwitch = bool (*)(Fault fault);
void InstallFaultSwitch(FaultSwitch faultSwitch);

// Whether the fault is on: false unless an installed switch says so.
bool FaultSet(Fault fault);

}  // namespace platform
