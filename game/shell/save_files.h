#pragma once
// The settings file "config.dat" (ConfigData, 84 bytes) and the progress file
// "system/system.dat" (SystemData, 224 bytes). Both are read and written field
// by field, little-endian, in the game's own layout.
#include <array>
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "game/shell/file_access.h"

// Joystick button slots of ConfigData, in file order.
enum JoystickButtonSlot : int {
    kJoyButtonZ = 0,
    kJoyButtonX,
    kJoyButtonV,
    kJoyButtonC,
    kJoyButtonA,
    kJoyButtonS,
    kJoyButtonT,
    kJoyButtonSlotCount
};

struct ConfigData {
    u8 fullScreen = 0;          // 0x00: 1 full screen, 0 windowed
    u8 fullColourScreen = 0;    // 0x01: prefer a 32-bit screen
    u8 fullColourTextures = 0;  // 0x02: prefer 32-bit textures
    u8 soundOff = 0;            // 0x03
    u8 reserved04 = 0;          // 0x04
    u8 showBootDialog = 0;      // 0x05
    u8 showTalk = 0;            // 0x06: show the cut-in dialogue
    u8 reserved07 = 0;          // 0x07
    i16 musicVolume = 0;        // 0x08: level 0..10
    i16 effectVolume = 0;       // 0x0A: level 0..10
    std::array<u8, 8> reserved0C{};
    std::array<u32, kJoyButtonSlotCount> joystickButtons{};  // 0x14..0x2F
    std::array<u8, 36> reserved30{};
};

constexpr std::size_t kConfigDataSize = 84;
constexpr std::size_t kSystemDataSize = 224;
constexpr int kEndingSlots = 30;
constexpr int kProgressDifficulties = 3;
constexpr int kProgressStages = 20;

struct SystemData {
    std::array<u8, kEndingSlots> endingSeen{};                   // 0x00
    std::array<u8, kEndingSlots> endingSeenThisCycle{};          // 0x1E
    std::array<u8, 100> reserved3C{};                            // 0x3C
    u8 StageProgress[kProgressDifficulties][kProgressStages]{};  // 0xA0
    u32 endingsShown = 0;                                        // 0xDC
};

extern ConfigData g_ConfigData;
extern SystemData g_SystemData;

// The table's defaults (laid when the file is missing or cannot be read).
ConfigData DefaultConfigData();
SystemData DefaultSystemData();

// Byte images. Parsing a short image fills what it holds and leaves the rest
// of the record zero, as reading a short file into a zeroed record does.
std::vector<u8> EncodeConfigData(const ConfigData& c);
ConfigData DecodeConfigData(const u8* bytes, std::size_t size);
std::vector<u8> EncodeSystemData(const SystemData& s);
SystemData DecodeSystemData(const u8* bytes, std::size_t size);

// The values of a record outside the ranges the game writes, as
// "musicVolume 300 is outside 0 to 10, ...", empty when there are none. They
// are kept as they are (the files are read and written byte for byte): the
// game's own rules bring them into range where they are used (any non-zero
// on/off byte is on, a volume level is clamped to 0 to 10, a pad button past
// the last is the last).
std::string ConfigDataOutOfRange(const ConfigData& c);
std::string SystemDataOutOfRange(const SystemData& s);

// Reads "config.dat"; when there is none, lays the defaults and writes it.
// Values outside the game's ranges are said in one line naming the file and
// the fields. A file that is there but cannot be read is said too; the game
// plays with the defaults and never saves over it in this run (ReadSaveFile).
void LoadConfig();
// The saves write through a temporary file; a failure is reported on standard
// error (the old file stays) and returned.
FileStatus SaveConfig();
void LoadSystemData();
FileStatus SaveSystemData();
