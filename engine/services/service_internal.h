#pragma once
// Pieces of the services that the entry points use and tests reach.
#include "engine/core/types.h"
#include "engine/services/service_object.h"

// Makes the DirectMusic loader and performance and initialises the
// performance's audio; 1 when all of that worked.
u32 CreateDirectMusicObjects();

// The DirectPlay peer's message callback: accepts every message.
i32 DirectPlayMessageHandler(void* context, u32 type, void* message);
// Whether the DirectPlay peer exists and was initialised (tests).
bool DirectPlayPeerReady();

// The list of the multimedia-stream objects.
ServiceObjectList& MediaStreamObjects();
// Whether the DirectDraw object of the multimedia streams exists (tests).
bool MediaStreamDirectDrawExists();
