// The DirectMusic service: its worker makes the loader and the performance,
// runs the DirectMusic commands and releases them at its end.
#include "engine/services/services.h"
#include "engine/services/service_internal.h"
#include "engine/services/service_log.h"
#include "engine/services/service_ring.h"
#include "platform/com.h"

namespace {

platform::IDirectMusicLoader8* g_loader = nullptr;
platform::IDirectMusicPerformance8* g_performance = nullptr;
platform::IDirectMusic* g_directMusic = nullptr;
platform::IDirectSound8* g_performanceSound = nullptr;

bool DispatchDirectMusic(const ServiceCommand& command) {
    const auto run = [&](DirectMusicServiceObject* object, const u8* data, u32 value) {
        switch (command.code) {
            case 0: object->Operation3(data); break;
            case 1: object->Release(); break;
            case 2: object->Operation4(value); break;
            case 3: object->Operation5(); break;
            case 4: object->Operation7(); break;
            case 5: object->Operation8(value); break;
            case 6: object->Operation9(value); break;
            case 7: object->Operation10(); break;
            case 8: object->Operation11(value); break;
            case 9: object->Operation12(); break;
            case 10: object->Operation13(); break;
            case 11: object->Operation14(); break;
            case 12: object->Operation15(); break;
            case 13: object->Operation16(); break;
            case 14: object->Operation17(); break;
            case 15: object->Operation18(); break;
            default: break;
        }
    };
    return DispatchServiceCommand<DirectMusicServiceObject>(command, kDirectMusicQuitCode, run);
}

}  // namespace

u32 CreateDirectMusicObjects() {
    g_loader = platform::CreateDirectMusicLoader();
    if (g_loader == nullptr) {
        ServiceReportMissingDirectX("  エラー : DirectMusicLoaderの生成に失敗\n", kMessageBoxIconError);
        return 0;
    }
    ServiceLog("  ■ DirectMusicLoaderを生成\n");
    g_performance = platform::CreateDirectMusicPerformance();
    if (g_performance == nullptr) {
        ServiceReportMissingDirectX("  エラー : パフォーマンスオブジェクトの生成に失敗\n", kMessageBoxIconError);
        return 0;
    }
    ServiceLog("  ■ パフォーマンスオブジェクトを生成\n");
    if (!g_performance->InitAudio(&g_directMusic, &g_performanceSound, 0, platform::DMUS_APATH_SHARED_STEREOPLUSREVERB,
                                  64, platform::DMUS_AUDIOF_ALL, nullptr)) {
        ServiceLog("  エラー : パフォーマンスオブジェクトの初期化に失敗\n");
        return 0;
    }
    ServiceLog("  ■ パフォーマンスオブジェクトを初期化\n");
    return 1;
}

namespace {

void SetUpDirectMusic() { CreateDirectMusicObjects(); }

void TearDownDirectMusic() {
    if (g_performance != nullptr) {
        g_performance->CloseDown();
        const u32 left = g_performance->Release();
        g_performance = nullptr;
        ServiceLog("  ■ DirectMusicPerformanceを解体 [参照カウント%u]\n", left);
    }
    if (g_loader != nullptr) {
        const u32 left = g_loader->Release();
        g_loader = nullptr;
        ServiceLog("  ■ DirectMusicLoaderを解体 [参照カウント%u]\n", left);
    }
    if (g_directMusic != nullptr) {
        const u32 left = g_directMusic->Release();
        g_directMusic = nullptr;
        ServiceLog("  ■ DirectMusicObjectを解体 [参照カウント%u]\n", left);
    }
    // The DirectSound object that the performance's audio set-up handed back
    // is ours to release as well.
    if (g_performanceSound != nullptr) {
        const u32 left = g_performanceSound->Release();
        g_performanceSound = nullptr;
        ServiceLog("  ■ DirectSoundを解体 [参照カウント%u]\n", left);
    }
}

}  // namespace

RingService& DirectMusicRingService() {
    static RingService service(
        {"DirectMusic", kDirectMusicQuitCode, DispatchDirectMusic, SetUpDirectMusic, TearDownDirectMusic});
    return service;
}

u32 InitializeDirectMusic() { return DirectMusicRingService().Initialize(); }

void DestroyDirectMusic() { DirectMusicRingService().Destroy(); }
