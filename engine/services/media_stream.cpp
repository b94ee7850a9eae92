// The multimedia-stream service: a DirectDraw object made on the main thread
// for the stream objects, and their list.
#include "engine/services/services.h"
#include "engine/services/service_internal.h"
#include "engine/services/service_log.h"
#include "platform/com.h"

namespace {

platform::IDirectDraw* g_directDraw = nullptr;

}  // namespace

ServiceObjectList& MediaStreamObjects() {
    static ServiceObjectList list;
    return list;
}

bool MediaStreamDirectDrawExists() { return g_directDraw != nullptr; }

u32 InitializeMediaStream() {
    ServiceLog("\n============================================== Initialize MediaStream\n");
    if (g_directDraw != nullptr) return 1;
    g_directDraw = platform::CreateDirectDraw();
    if (g_directDraw == nullptr) {
        ServiceLog("  エラー : DirectDrawオブジェクトの生成に失敗\n");
        return 0;
    }
    ServiceLog("  ■ DirectDrawオブジェクトを生成\n");
    if (!g_directDraw->Initialize(platform::DDCREATE_EMULATIONONLY)) {
        ServiceLog("  エラー : DirectDrawオブジェクトの初期化に失敗\n");
        return 0;
    }
    ServiceLog("  ■ DirectDrawオブジェクトを初期化\n");
    if (!g_directDraw->SetCooperativeLevel(0, platform::DDSCL_NORMAL)) {
        ServiceLog("  エラー : 協調レベルの設定に失敗\n");
        return 0;
    }
    ServiceLog("  ■ 協調レベルを設定\n");
    ServiceListClear(MediaStreamObjects());
    return 1;
}

void DestroyMediaStream() {
    ServiceLog("\n============================================== Destroy MediaStream\n");
    if (g_directDraw != nullptr) {
        const u32 left = g_directDraw->Release();
        g_directDraw = nullptr;
        ServiceLog("  ■ Release DirectDraw Object [参照カウント%u]\n", left);
    }
    ServiceListReleaseAll(MediaStreamObjects());
}
