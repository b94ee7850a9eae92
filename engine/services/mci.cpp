// MCI playback devices and the audio mixer's volumes.
#include "engine/services/mci.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/services/service_log.h"
#include "engine/services/services.h"
#include "platform/mci.h"

namespace {

MciState g_mci;
MixerVolumeRecord g_records[kMixerRecords];
u32 g_mixerReady = 0;

void Send(const char* command) { platform::mciSendStringA(command, nullptr, 0, false); }

void SendNotify(const char* command) { platform::mciSendStringA(command, nullptr, 0, true); }

// Asks a device for its mode. The reply is cleared first: a failed query
// (a device that is not open) must not leave an earlier answer behind.
bool DeviceStopped(const char* device) {
    char command[64];
    std::snprintf(command, sizeof command, "status %s mode", device);
    g_mci.reply[0] = '\0';
    platform::mciSendStringA(command, g_mci.reply, kMciReplyBytes, false);
    return std::strcmp(g_mci.reply, "stopped") == 0;
}

void RestartDevice(const char* device) {
    char command[64];
    std::snprintf(command, sizeof command, "seek %s to start", device);
    Send(command);
    std::snprintf(command, sizeof command, "play %s notify", device);
    SendNotify(command);
}

void CloseDevice(const char* device, u32& loop, u32 (&state)[2]) {
    char command[64];
    std::snprintf(command, sizeof command, "stop %s", device);
    Send(command);
    std::snprintf(command, sizeof command, "close %s", device);
    Send(command);
    loop = 0;
    state[0] = 0;
    state[1] = 0;
}

bool TrackInTable(i32 track) { return track >= 0 && track < kCdTrackSlots && track <= g_mci.cdTrackCount; }

}  // namespace

MciState& GetMciState() { return g_mci; }

MixerVolumeRecord* GetMixerRecords() { return g_records; }

u32 IsMixerReady() { return g_mixerReady; }

u32 InitializeMCI() {
    Send("open cdaudio");
    InitializeAudioMixer();
    return 1;
}

void MciNotify() {
    if (DeviceStopped("midi")) {
        if (g_mci.midiLoop != 0) {
            RestartDevice("midi");
        } else {
            CloseDevice("midi", g_mci.midiLoop, g_mci.midiState);
        }
    }
    if (DeviceStopped("wave")) {
        if (g_mci.waveLoop != 0) {
            RestartDevice("wave");
        } else {
            CloseDevice("wave", g_mci.waveLoop, g_mci.waveState);
        }
    }
    if (DeviceStopped("cdaudio")) {
        if (g_mci.cdLoop != 0) {
            // Track numbers index a table of 128 entries.
            if (g_mci.cdReady == 0 || !TrackInTable(g_mci.cdFirstTrack) || !TrackInTable(g_mci.cdLastTrack)) return;
            if (g_mci.cdPlaying != 0) {
                Send("stop cdaudio");
                g_mci.cdPlaying = 0;
            }
            const CdTrack& first = g_mci.cdTracks[g_mci.cdFirstTrack];
            const CdTrack& last = g_mci.cdTracks[g_mci.cdLastTrack];
            const i64 to = static_cast<i64>(last.start) + last.length;
            std::snprintf(g_mci.reply, kMciReplyBytes, "play cdaudio from %d to %lld notify", first.start,
                          static_cast<long long>(to));
            SendNotify(g_mci.reply);
            g_mci.cdPlaying = 1;
        } else if (g_mci.cdReady != 0 && g_mci.cdPlaying != 0) {
            Send("stop cdaudio");
            g_mci.cdPlaying = 0;
        }
    }
}

void DestroyMCI() {
    if (g_mci.cdReady != 0 && g_mci.cdPlaying != 0) {
        Send("stop cdaudio");
        g_mci.cdPlaying = 0;
    }
    CloseDevice("midi", g_mci.midiLoop, g_mci.midiState);
    CloseDevice("wave", g_mci.waveLoop, g_mci.waveState);
    if (g_mixerReady != 0) {
        for (u32 i = 0; i < kMixerRecords; ++i) {
            MixerVolumeRecord& record = g_records[i];
            if (record.found == 0) continue;
            platform::HMIXER mixer = 0;
            if (platform::mixerOpen(&mixer, 0, 0, 0, 0) != platform::MMSYSERR_NOERROR) continue;
            if (FindVolumeControl(mixer, &record.line, i) != 0) {
                const i32 saved = static_cast<i32>(record.savedValue);
                record.value = saved > 65535 ? 65535u : saved < 0 ? 0u : static_cast<u32>(saved);
            }
            // Written in either case: after a failed look-up the value read at
            // start goes back to the control.
            platform::mixerSetControlDetails(mixer, &record.details, platform::MIXER_SETCONTROLDETAILSF_VALUE);
            platform::mixerClose(mixer);
        }
    }
    Send("close cdaudio");
    g_mci.cdPlaying = 0;
    g_mci.cdLoop = 0;
    g_mci.cdFirstTrack = 0;
    g_mci.cdLastTrack = 0;
}

u32 InitializeAudioMixer() {
    ServiceLog("\n============================================== Initialize Audio Mixer\n");
    for (auto& record : g_records) record = MixerVolumeRecord{};
    g_mixerReady = 0;
    const u32 devices = platform::mixerGetNumDevs();
    if (devices == 0) {
        ServiceLog("  エラー : ミキサーデバイスがありません\n");
        return 0;
    }
    ServiceLog("  ■ ミキサーデバイス数 %u\n", devices);
    platform::HMIXER mixer = 0;
    if (platform::mixerOpen(&mixer, 0, 0, 0, 0) != platform::MMSYSERR_NOERROR) {
        ServiceLog("  エラー : ミキサーデバイスのオープンに失敗\n");
        return 0;
    }
    LogMixerDevices(0, mixer);
    platform::mixerClose(mixer);
    for (auto& record : g_records) record.savedValue = record.found != 0 ? record.value : 0;
    g_mixerReady = 1;
    return 1;
}

void LogMixerDevices(u32 mixerId, platform::HMIXER mixer) {
    platform::MIXERCAPSA caps;
    if (platform::mixerGetDevCapsA(mixerId, &caps, sizeof caps) != platform::MMSYSERR_NOERROR) {
        ServiceLog("  ミキサーデバイス情報の取得に失敗\n");
        return;
    }
    for (u32 d = 0; d < caps.cDestinations; ++d) {
        platform::MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwDestination = d;
        if (platform::mixerGetLineInfoA(mixer, &line, platform::MIXER_GETLINEINFOF_DESTINATION) !=
            platform::MMSYSERR_NOERROR) {
            continue;
        }
        ServiceLog("    ○デバイスNo.%02d \"%s\" [%s]\n", static_cast<int>(d), line.szName, line.szShortName);
        if (line.dwComponentType != platform::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) continue;
        ServiceLog("       スピーカーに接続\n");
        if (FindVolumeControl(mixer, &line, 0) == 0) continue;
        g_records[0].found = 1;
        ServiceLog("       ライン出力をサポート\n");
        const u32 connections = line.cConnections;
        for (u32 s = 0; s < connections; ++s) {
            line.dwSource = s;
            line.dwDestination = d;
            if (platform::mixerGetLineInfoA(mixer, &line, platform::MIXER_GETLINEINFOF_SOURCE) !=
                platform::MMSYSERR_NOERROR) {
                continue;
            }
            u32 record = 0;
            const char* text = nullptr;
            switch (line.dwComponentType) {
                case platform::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT:
                    record = 1;
                    text = "            ・WAVE OUTボリュームコントロールをサポート\n";
                    break;
                case platform::MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER:
                    record = 2;
                    text = "            ・SYNTHESIZERボリュームコントロールをサポート\n";
                    break;
                case platform::MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC:
                    record = 3;
                    text = "            ・ANALOG-CDAUDIOボリュームコントロールをサポート\n";
                    break;
                default: continue;
            }
            if (g_records[record].found == 0 && FindVolumeControl(mixer, &line, record) != 0) {
                g_records[record].found = 1;
                ServiceLog("%s", text);
            }
        }
    }
}

u32 FindVolumeControl(platform::HMIXER mixer, platform::MIXERLINEA* line, u32 index) {
    std::vector<platform::MIXERCONTROLA> controls(line->cControls);
    platform::MIXERLINECONTROLSA request;
    request.cbStruct = sizeof request;
    request.dwLineID = line->dwLineID;
    request.dwControlType = 0;
    request.cControls = line->cControls;
    request.cbmxctrl = sizeof(platform::MIXERCONTROLA);
    request.pamxctrl = controls.data();
    if (platform::mixerGetLineControlsA(mixer, &request, platform::MIXER_GETLINECONTROLSF_ALL) !=
        platform::MMSYSERR_NOERROR) {
        return 0;
    }
    MixerVolumeRecord& record = g_records[index];
    for (const platform::MIXERCONTROLA& control : controls) {
        if (control.dwControlType != platform::MIXERCONTROL_CONTROLTYPE_VOLUME) continue;
        record.details.cbStruct = sizeof record.details;
        record.details.dwControlID = control.dwControlID;
        record.details.cChannels = 1;
        record.details.cMultipleItems = control.cMultipleItems;
        record.details.cbDetails = sizeof record.value;
        record.details.paDetails = &record.value;
        if (platform::mixerGetControlDetailsA(mixer, &record.details, platform::MIXER_GETCONTROLDETAILSF_VALUE) ==
            platform::MMSYSERR_NOERROR) {
            record.control = control;
            record.line = *line;
            return 1;
        }
    }
    return 0;
}
