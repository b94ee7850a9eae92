#pragma once
// Our stand-in for WinMM's MCI command strings (mciSendStringA): a small
// interpreter over a table of open devices. Devices make no sound: a play
// runs until it is stopped or until EndMciPlay reports the end of its media.
// The CD audio device opens, but reports that no disc is in the drive.
//
// Commands: open <device|file> [type <t>] [alias <a>], close <a>|all,
// play <a> [from <n>] [to <n>] [notify], stop <a> [notify], seek <a> to
// start|end|<n>, pause <a>, resume <a>, set <a> time format <f>,
// status <a> mode|position|length|ready|media present|number of tracks.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Results of MciSendString (0 is success).
enum : std::uint32_t {
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_UNRECOGNIZED_KEYWORD = 259,
    MCIERR_UNRECOGNIZED_COMMAND = 261,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_DEVICE_OPEN = 265,
    MCIERR_MISSING_PARAMETER = 273,
    MCIERR_FILE_NOT_FOUND = 275,
    MCIERR_DEVICE_NOT_READY = 276,
    MCIERR_OUTOFRANGE = 282,
};

// Flags of MM_MCINOTIFY (its wParam; lParam is the device id).
enum : std::uint32_t {
    MCI_NOTIFY_SUCCESSFUL = 1,
    MCI_NOTIFY_SUPERSEDED = 2,
    MCI_NOTIFY_ABORTED = 4,
    MCI_NOTIFY_FAILURE = 8,
};

// Sends one command string. `reply` (may be null) receives the answer of a
// query, cut to `replySize` - 1 bytes, and is left as it was when the command
// fails. A command with the word notify whose callback is true posts
// MM_MCINOTIFY when it ends (successfully, superseded or aborted).
std::uint32_t mciSendStringA(const char* command, char* reply, std::uint32_t replySize, bool callback);

// Where notifications go: platform::PostAppMessage(MM_MCINOTIFY, flag, device id)
// unless a sink is installed. An empty function restores the message queue.
using MciNotifySink = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;
void SetMciNotifySink(MciNotifySink sink);

// The media of an open, playing device has reached its end (what a real
// device reports by itself): the device stops at its end and a pending
// notification is posted as successful. False when the alias is not playing.
bool EndMciPlay(const std::string& alias);

// Puts a disc of `length` units into the CD drive, or takes it out. The drive
// starts empty; tests insert a disc to drive the CD paths.
void SetMciDisc(bool present, std::int64_t length = 0);

// Closes every device, empties the CD drive and forgets every setting (tests).
void ResetMci();

// The id of an open device (0 when none), as notifications carry it.
std::uint32_t MciDeviceId(const std::string& alias);

}  // namespace platform
