// The DirectPlay service: a thread that makes and initialises a DirectPlay
// peer, then idles until it is told to stop.
#include <atomic>

#include "engine/services/services.h"
#include "engine/services/service_internal.h"
#include "engine/services/service_log.h"
#include "platform/com.h"
#include "platform/sync.h"

namespace {

platform::IDirectPlay8Peer* g_peer = nullptr;
std::atomic<bool> g_peerReady{false};
platform::Thread g_thread;
std::atomic<u32> g_running{1};
platform::Event g_stopRequested;

void DirectPlayThreadProc(platform::Event* ready) {
    platform::CoInitialize();
    g_peer = platform::CreateDirectPlay8Peer();
    if (g_peer == nullptr) {
        ServiceReportMissingDirectX("  Error Can't Create DirectPlayPeer Object\n", kMessageBoxOk);
    } else {
        ServiceLog("  ■ Create DirectPlayPeer Object\n");
        if (g_peer->Initialize(nullptr, DirectPlayMessageHandler, 0)) {
            ServiceLog("  ■ Initialize DirectPlayPeer Object\n");
            g_peerReady.store(true);
        } else {
            ServiceLog("  Error Can't Initialize DirectPlayPeer Object\n");
        }
    }
    ready->Set();

    while (g_running.load() != 0) g_stopRequested.Wait();

    // The peer is ours: close and release it before the thread ends.
    if (g_peer != nullptr) {
        g_peer->Close();
        const u32 left = g_peer->Release();
        g_peer = nullptr;
        ServiceLog("  ■ Release DirectPlayPeer Object [参照カウント%u]\n", left);
    }
    g_peerReady.store(false);
    platform::CoUninitialize();
}

}  // namespace

i32 DirectPlayMessageHandler(void* /*context*/, u32 /*type*/, void* /*message*/) { return 0; }

bool DirectPlayPeerReady() { return g_peerReady.load(); }

u32 InitializeDirectPlay() {
    ServiceLog("\n============================================== Initialize DirectPlay\n");
    if (g_thread.Running()) return 1;
    g_running.store(1);
    g_stopRequested.Reset();
    platform::Event ready;
    if (!g_thread.Start([&ready] { DirectPlayThreadProc(&ready); })) {
        ServiceLog("  エラー : DirectPlay のスレッドの生成に失敗\n");
        return 0;
    }
    ready.Wait();
    return 1;
}

void DestroyDirectPlay() {
    ServiceLog("\n============================================== Destroy DirectPlay\n");
    if (!g_thread.Running()) return;
    g_running.store(0);
    g_stopRequested.Set();
    g_thread.Join();
}
