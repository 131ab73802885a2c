// The key table, the lists and the nine general settings.
#include "settings/generalsettings.h"
#include "settings/profilefile.h"
#include "settings/settingkeys.h"
#include "settings/settinglists.h"

#include "testsupport.h"

#include <QDir>

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace brisklet::settings {
namespace {

using test::readFileBytes;
using test::TempDir;
using test::writeFileBytes;

std::string lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(SettingKeys, EveryKeyIsUniqueAndEveryListDefaultLiesInItsList)
{
    std::set<std::string> names;
    for (const auto& table :
         {std::vector<const SettingKey*>(generalKeys.begin(), generalKeys.end()),
          std::vector<const SettingKey*>(formatKeys.begin(), formatKeys.end())}) {
        for (const SettingKey* key : table) {
            EXPECT_TRUE(names.insert(lower(key->section) + "/" + lower(key->name)).second)
                << key->section << "/" << key->name;
            if (key->type == KeyType::ListIndex) {
                const ChoiceList& list = choiceList(key->list);
                EXPECT_TRUE(list.contains(key->defaultValue)) << key->name;
                EXPECT_TRUE(list.contains(key->resetValue)) << key->name;
            }
        }
    }
    EXPECT_EQ(names.size(), 52u);
}

TEST(SettingKeys, TwoQualitiesShowFourInTheDialogAndEncodeWithFive)
{
    TempDir dir;
    const ProfileFile file(dir.file("none.ini"));
    for (const SettingKey* key : {&keys::mp3Quality, &keys::vbrQuality}) {
        EXPECT_EQ(readKey(file, *key, Reader::Dialog), 4);
        EXPECT_EQ(readKey(file, *key, Reader::Encoder), 5);
        EXPECT_EQ(key->resetValue, 5);
    }
    EXPECT_EQ(readKey(file, keys::wavFrequency), 7); // absent shows 44100 Hz
    EXPECT_EQ(keys::wavFrequency.resetValue, 8);     // "Default" shows 48000 Hz
}

TEST(SettingKeys, StoredPositionOutsideItsListGivesTheDefault)
{
    TempDir dir;
    writeFileBytes(dir.file("s.ini"),
                   "[mp3]\nbitrate=20\nchannel=-1\nfrequency=8\n[wma]\nformat=47\n"
                   "[MP3VBR]\nvbrck=2\n[MP3Filt]\nudHFiltF=99999\n");
    const ProfileFile file(dir.file("s.ini"));
    EXPECT_EQ(readKey(file, keys::mp3Bitrate), 9);
    EXPECT_EQ(readListValue(file, keys::mp3Bitrate), 128);
    EXPECT_EQ(readKey(file, keys::mp3Channel), 1);
    EXPECT_EQ(readListValue(file, keys::mp3Frequency), 48000); // the last entry is in range
    EXPECT_EQ(readKey(file, keys::wmaProfile), 9);
    EXPECT_EQ(readKey(file, keys::vbrHeader), 1);
    EXPECT_EQ(readKey(file, keys::highpassFrequency), 99999); // ranges are not checked
}

TEST(SettingLists, ListsHaveTheirLengthsAndTheirExactTexts)
{
    EXPECT_EQ(choiceList(ListId::Frequency).size(), 9);
    EXPECT_EQ(choiceList(ListId::Bitrate).size(), 15);
    EXPECT_EQ(choiceList(ListId::Bitrate).texts[14], "320 Kbps");
    EXPECT_EQ(choiceList(ListId::SampleSize).value(1), 16);
    EXPECT_EQ(choiceList(ListId::Mp3Channel).size(), 5);
    EXPECT_EQ(choiceList(ListId::Preset).size(), 11);
    EXPECT_EQ(choiceList(ListId::AltPreset).texts[3], "Extrene");
    EXPECT_EQ(choiceList(ListId::FadeLength).size(), 20);
    EXPECT_EQ(choiceList(ListId::FadeLength).texts[19], "20s");

    const ChoiceList& wma = choiceList(ListId::WmaProfile);
    ASSERT_EQ(wma.size(), 47);
    EXPECT_EQ(wma.texts[9], "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_EQ(wma.texts[20], wma.texts[22]);
    EXPECT_EQ(wma.texts[34], "WMA9 8KHz,  12Kbps, Stereo, CBR");
    EXPECT_EQ(wma.texts[46], "WMA9 44KHz, Stereo, Lossless");
}

struct GeneralSettingsTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("Brisklet.ini");
    ProfileFile file{path};
};

TEST_F(GeneralSettingsTest, MissingFileGivesDefaultsAndTheMusicFolder)
{
    const GeneralSettings s = loadGeneralSettings(file);
    EXPECT_EQ(s.FunctionChoice, 0);
    EXPECT_EQ(s.OutputDirectory, musicFolder() + "/");
    EXPECT_TRUE(QDir(QString::fromStdString(musicFolder())).exists()); // created at start-up
    EXPECT_EQ(s.splitSeconds, 60);
    EXPECT_EQ(s.splitCount, 6);
    EXPECT_FALSE(s.fadeIn);
    EXPECT_FALSE(s.fadeOut);
    EXPECT_EQ(s.fadeInSeconds, 5);
    EXPECT_EQ(s.fadeOutSeconds, 5);
    EXPECT_FALSE(s.skinFlag);
}

TEST_F(GeneralSettingsTest, HandEditedValuesAreMadeUsable)
{
    writeFileBytes(path, "[Output]\nDir=\n[Choice]\ntime=0\nCount=-4\n");
    GeneralSettings s = loadGeneralSettings(file);
    EXPECT_EQ(s.OutputDirectory, musicFolder() + "/");
    EXPECT_EQ(s.splitSeconds, 1);
    EXPECT_EQ(s.splitCount, 1);

    writeFileBytes(path, "[Choice]\ntime=0x1E\n[Output]\nDir=" + dir.file("out") + "\n");
    s = loadGeneralSettings(file);
    EXPECT_EQ(s.splitSeconds, 30);
    EXPECT_EQ(s.OutputDirectory, dir.file("out") + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("out")));
}

TEST_F(GeneralSettingsTest, OnlyOneFolderLevelIsCreatedAndFailureIsSilent)
{
    writeFileBytes(path, "[Output]\nDir=" + dir.file("a/b") + "\n");
    const GeneralSettings s = loadGeneralSettings(file);
    EXPECT_EQ(s.OutputDirectory, dir.file("a/b") + "/");
    EXPECT_FALSE(std::filesystem::exists(dir.file("a")));
}

TEST_F(GeneralSettingsTest, SaveWritesTheNineKeysInOrderWithTheFinalSlash)
{
    GeneralSettings s;
    s.FunctionChoice = 2;
    s.OutputDirectory = "/music/out";
    s.splitSeconds = 30;
    s.splitCount = 4;
    s.fadeIn = true;
    s.fadeInSeconds = 3;
    s.fadeOutSeconds = 20;
    s.skinFlag = true;
    saveGeneralSettings(file, s);
    EXPECT_EQ(readFileBytes(path), "[Function]\nChoice=2\n\n"
                                   "[Output]\nDir=/music/out/\n\n"
                                   "[Choice]\ntime=30\nCount=4\n\n"
                                   "[Fade]\nIn=1\nOut=0\nIntime=3\nOuttime=20\n\n"
                                   "[BKL]\nSkin=1\n");
}

} // namespace
} // namespace brisklet::settings
