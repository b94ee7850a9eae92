// The DirectSound service: its worker makes the DirectSound object and the
// primary buffer, runs the DirectSound commands and releases both at its end.
#include "engine/services/services.h"
#include "engine/services/service_log.h"
#include "engine/services/service_ring.h"
#include "platform/com.h"

namespace {

platform::IDirectSound8* g_directSound = nullptr;
platform::IDirectSoundBuffer* g_primaryBuffer = nullptr;

void SetUpDirectSound() {
    g_directSound = platform::CreateDirectSound8();
    if (g_directSound == nullptr) {
        ServiceReportMissingDirectX("  エラー : DirectSoundオブジェクトの生成に失敗\n", kMessageBoxIconError);
        return;
    }
    ServiceLog("  ■ DirectSoundオブジェクトを生成\n");
    if (!g_directSound->Initialize(nullptr)) {
        ServiceLog("  エラー : DirectSoundオブジェクトの生成に失敗\n");
        return;
    }
    ServiceLog("  ■ DirectSoundオブジェクトを初期化\n");
    // The main window is the engine's; our device needs no window.
    if (g_directSound->SetCooperativeLevel(0, platform::DSSCL_PRIORITY)) {
        ServiceLog("  ■ 協調レベルを 優先レベル に設定\n");
    } else if (g_directSound->SetCooperativeLevel(0, platform::DSSCL_NORMAL)) {
        ServiceLog("  ■ 協調レベルを 通常レベル に設定\n");
    } else {
        ServiceLog("  エラー : 協調レベルの設定に失敗\n");
        return;
    }
    if (g_directSound->Compact()) {
        ServiceLog("  ■ メモリのコンパクションを実行\n");
    } else {
        ServiceLog("  エラー : メモリのコンパクションに失敗\n");
    }
    platform::DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = platform::DSBCAPS_PRIMARYBUFFER;
    if (!g_directSound->CreateSoundBuffer(desc, &g_primaryBuffer)) {
        g_primaryBuffer = nullptr;
        ServiceLog("  エラー : プライマリサウンドバッファの生成に失敗\n");
        return;
    }
    ServiceLog("  ■ プライマリサウンドバッファを生成\n");
    platform::WAVEFORMATEX format;
    format.wFormatTag = platform::WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 176400;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    format.cbSize = 0;
    if (g_primaryBuffer->SetFormat(format)) {
        ServiceLog("     プライマリサウンドバッファのフォーマットを設定\n");
    }
}

void TearDownDirectSound() {
    if (g_primaryBuffer != nullptr) {
        const u32 left = g_primaryBuffer->Release();
        g_primaryBuffer = nullptr;
        ServiceLog("  ■ DirectSoundBufferを解体 [参照カウント%u]\n", left);
    }
    if (g_directSound != nullptr) {
        const u32 left = g_directSound->Release();
        g_directSound = nullptr;
        ServiceLog("  ■ DirectSoundを解体 [参照カウント%u]\n", left);
    }
}

bool DispatchDirectSound(const ServiceCommand& command) {
    const auto run = [&](DirectSoundServiceObject* object, const u8* data, u32 value) {
        switch (command.code) {
            case 0: object->Operation4(data); break;
            case 1: object->Operation3(data, data + 128); break;
            case 2: object->Release(); break;
            case 3: object->Operation5(value); break;
            case 4: break;
            case 5: object->Operation6(); break;
            case 6: object->Operation8(); break;
            case 7: object->Operation9(value); break;
            case 8: object->Operation10(value); break;
            case 9: object->Operation11(); break;
            case 10: object->Operation12(value); break;
            case 11: object->Operation13(); break;
            case 12: object->Operation14(); break;
            case 13: object->Operation15(); break;
            case 14: object->Operation16(); break;
            case 15: object->Operation17(); break;
            case 16: object->Operation18(); break;
            case 17: object->Operation19(); break;
            default: break;
        }
    };
    return DispatchServiceCommand<DirectSoundServiceObject>(command, kDirectSoundQuitCode, run);
}

}  // namespace

RingService& DirectSoundRingService() {
    static RingService service(
        {"DirectSound", kDirectSoundQuitCode, DispatchDirectSound, SetUpDirectSound, TearDownDirectSound});
    return service;
}

u32 InitializeDirectSound() { return DirectSoundRingService().Initialize(); }

void DestroyDirectSound() { DirectSoundRingService().Destroy(); }
