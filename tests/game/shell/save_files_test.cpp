#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "game/shell/save_files.h"
#include "platform/system.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<u8> ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs each test in a fresh folder as the current directory.
class SaveFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        std::filesystem::create_directory("system");
        g_ConfigData = ConfigData();
        g_SystemData = SystemData();
    }
    void TearDown() override { std::filesystem::current_path(old_); }
    testing_support::TempDir dir_;
    std::filesystem::path old_;
};

TEST_F(SaveFilesTest, FreshFolderGetsTheDefaultBytes) {
    LoadConfig();
    LoadSystemData();
    std::vector<u8> config = ReadAll("config.dat");
    ASSERT_EQ(config.size(), 84u);
    EXPECT_EQ(std::vector<u8>(config.begin(), config.begin() + 8), (std::vector<u8>{1, 1, 1, 0, 0, 1, 1, 0}));
    EXPECT_EQ(config[0x08], 10);
    EXPECT_EQ(config[0x0A], 10);
    EXPECT_EQ(config[0x18], 1);  // X on button 1
    EXPECT_EQ(config[0x2C], 7);  // T on button 7
    int nonZero = 0;
    for (u8 b : config) nonZero += b != 0;
    EXPECT_EQ(nonZero, 9);

    std::vector<u8> system = ReadAll("system/system.dat");
    ASSERT_EQ(system.size(), 224u);
    for (std::size_t i = 0; i < system.size(); ++i) {
        bool one = i == 0xA1 || i == 0xB5 || i == 0xC9;
        EXPECT_EQ(system[i], one ? 1 : 0) << "byte " << i;
    }
}

TEST_F(SaveFilesTest, ShortConfigReadsAsFarAsItGoes) {
    WriteAll("config.dat", {0, 1, 0, 1, 0, 1});
    LoadConfig();
    EXPECT_EQ(g_ConfigData.fullScreen, 0);
    EXPECT_EQ(g_ConfigData.fullColourScreen, 1);
    EXPECT_EQ(g_ConfigData.soundOff, 1);
    EXPECT_EQ(g_ConfigData.showBootDialog, 1);
    EXPECT_EQ(g_ConfigData.showTalk, 0);
    EXPECT_EQ(g_ConfigData.musicVolume, 0);
    EXPECT_EQ(g_ConfigData.effectVolume, 0);
    for (u32 b : g_ConfigData.joystickButtons) EXPECT_EQ(b, 0u);
    // A short file is not rewritten by loading.
    EXPECT_EQ(ReadAll("config.dat").size(), 6u);
}

TEST_F(SaveFilesTest, RoundTripsEveryField) {
    ConfigData c = DefaultConfigData();
    c.fullScreen = 0;
    c.musicVolume = -2;
    c.effectVolume = 0x1234;
    c.joystickButtons = {3, 4, 5, 6, 7, 8, 0xA1B2C3D4u};
    c.reserved30[35] = 0x5A;
    std::vector<u8> bytes = EncodeConfigData(c);
    ASSERT_EQ(bytes.size(), kConfigDataSize);
    EXPECT_EQ(bytes[0x08], 0xFE);
    EXPECT_EQ(bytes[0x09], 0xFF);
    EXPECT_EQ(bytes[0x0A], 0x34);
    EXPECT_EQ(bytes[0x0B], 0x12);
    EXPECT_EQ(bytes[0x2C], 0xD4);
    EXPECT_EQ(bytes[0x2F], 0xA1);
    EXPECT_EQ(bytes[83], 0x5A);
    EXPECT_EQ(EncodeConfigData(DecodeConfigData(bytes.data(), bytes.size())), bytes);

    SystemData s = DefaultSystemData();
    s.endingSeen[17] = 1;
    s.endingSeenThisCycle[0] = 1;
    s.StageProgress[2][4] = 1;
    s.endingsShown = 0x01020304;
    std::vector<u8> sb = EncodeSystemData(s);
    ASSERT_EQ(sb.size(), kSystemDataSize);
    EXPECT_EQ(sb[17], 1);
    EXPECT_EQ(sb[0x1E], 1);
    EXPECT_EQ(sb[0xA0 + 2 * 20 + 4], 1);
    EXPECT_EQ(sb[0xDC], 4);
    EXPECT_EQ(sb[0xDF], 1);
    EXPECT_EQ(EncodeSystemData(DecodeSystemData(sb.data(), sb.size())), sb);
}

TEST_F(SaveFilesTest, SaveRewritesTheWholeFile) {
    LoadConfig();
    g_ConfigData.musicVolume = 3;
    SaveConfig();
    std::vector<u8> bytes = ReadAll("config.dat");
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(bytes[8], 3);
    g_SystemData = DefaultSystemData();
    g_SystemData.endingSeen[0] = 1;
    SaveSystemData();
    LoadSystemData();
    EXPECT_EQ(g_SystemData.endingSeen[0], 1);
}

TEST_F(SaveFilesTest, InterruptedSaveKeepsThePreviousFile) {
    LoadConfig();
    std::vector<u8> before = ReadAll("config.dat");
    // A save that dies before its rename leaves only the temporary file behind.
    WriteAll("config.dat.tmp", {9, 9, 9});
    EXPECT_EQ(ReadAll("config.dat"), before);
    LoadConfig();
    EXPECT_EQ(g_ConfigData.fullScreen, 1);
    // A save that cannot write its temporary file fails and keeps the old file.
    std::filesystem::remove("config.dat.tmp");
    std::filesystem::create_directory("config.dat.tmp");
    EXPECT_FALSE(platform::WriteFileAtomic("config.dat", "x", 1));
    EXPECT_EQ(ReadAll("config.dat"), before);
}

// Values the game never writes are said in one line naming the file and the
// fields, and kept as they are (the game's own rules bring them into range
// where they are used), so the files still save byte for byte.
TEST_F(SaveFilesTest, ValuesOutsideTheGamesRangesAreSaidAndKept) {
    ConfigData c = DefaultConfigData();
    c.showTalk = 7;
    c.musicVolume = 300;
    c.effectVolume = -4;
    c.joystickButtons[kJoyButtonT] = 0xA1B2C3D4u;
    WriteAll("config.dat", EncodeConfigData(c));
    SystemData s = DefaultSystemData();
    s.StageProgress[2][4] = 2;
    s.endingSeenThisCycle[3] = 0xFF;
    s.endingsShown = 0xFFFFFFFFu;
    WriteAll("system/system.dat", EncodeSystemData(s));

    testing::internal::CaptureStderr();
    LoadConfig();
    LoadSystemData();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "tolvarin: \"config.dat\": showTalk 7 is outside 0 to 1, musicVolume 300 is outside 0 to 10, "
              "effectVolume -4 is outside 0 to 10, joystickButtons[6] 2712847316 is outside 0 to 15\n"
              "tolvarin: \"system/system.dat\": endingSeenThisCycle[3] 255 is outside 0 to 1, StageProgress[2][4] 2 "
              "is outside 0 to 1\n");
    SaveConfig();
    SaveSystemData();
    EXPECT_EQ(ReadAll("config.dat"), EncodeConfigData(c));
    EXPECT_EQ(ReadAll("system/system.dat"), EncodeSystemData(s));

    // Files with the game's own values say nothing.
    g_ConfigData = DefaultConfigData();
    g_SystemData = DefaultSystemData();
    SaveConfig();
    SaveSystemData();
    testing::internal::CaptureStderr();
    LoadConfig();
    LoadSystemData();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(SaveFilesTest, UnwritableFolderKeepsDefaultsInMemory) {
    std::filesystem::remove_all("system");
    LoadSystemData();  // cannot create system/system.dat
    EXPECT_EQ(g_SystemData.StageProgress[0][1], 1);
    EXPECT_FALSE(std::filesystem::exists("system/system.dat"));
}

}  // namespace
