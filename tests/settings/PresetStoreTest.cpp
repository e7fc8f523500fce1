// The option panel's record in settings.ini, and named presets beside it.
#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"
#include "tests/settings/TestHelpers.h"

namespace {

// Every field away from its default, each to a value no other field holds.
PanelOptions Changed()
{
    PanelOptions p;
    p.dimensions = { LongEdge, Pixel, 301, 202, 3703, 4104, 5005, 6006 };
    p.compression = { CompressTargetSize, 81, 42 };
    p.extension = ".webp";
    p.overwrite = true;
    p.options = { true, true, true, true, 33, true, true, true, true, true, true, true };
    return p;
}

const std::string Classic = "[SETTING_INFO]\nLAST_FOLDER=/out/\nLANGUAGE=De\nOPEN_FOLDER=TRUE\n";

// Every field comes back; the file says it in words; the classic keys and other sections stay as they were.
TEST_F(Settings, PanelOptionsRoundTripEveryFieldInWords)
{
    const PanelOptions changed = Changed();
    const auto defaults = WritePanelOptionsEntries({}), written = WritePanelOptionsEntries(changed);
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_NE(written[i].second, defaults[i].second) << written[i].first << " is not changed by the test";
    WriteText(m_path, Classic + "\n[OTHER]\nMODE=x\n");
    EXPECT_EQ(SettingsStore::GetPanelOptions(), PanelOptions {});
    SettingsStore::SetPanelOptions(changed);
    EXPECT_EQ(SettingsStore::GetPanelOptions(), changed);
    const std::string text = ReadText(m_path);
    EXPECT_EQ(text.rfind(Classic + "\n[OTHER]\nMODE=x\n[OPTIONS]\n", 0), 0u) << text;
    for (const char* line : { "\nMODE=long-edge\n", "\nUNIT=pixel\n", "\nCOMPRESSION=target-size\n", "\nFORMAT=webp\n",
             "\nWIDTH_PERCENT_HUNDREDTHS=3703\n", "\nKEEP_TREE=TRUE\n" })
        EXPECT_NE(text.find(line), std::string::npos) << line << text;

    // Through the model and back: what is captured is what is restored.
    ResizeSettings settings;
    ApplyPanelOptions(changed, settings);
    EXPECT_EQ(CapturePanelOptions(settings), changed);
    settings.SetResizeMode(RestrictHeight);
    settings.SetSizeUnit(Percent);
    settings.SetHeightValue(37.5f, CurrentUnit);
    ResizeSettings restored;
    ApplyPanelOptions(CapturePanelOptions(settings), restored);
    EXPECT_EQ(CapturePanelOptions(restored), CapturePanelOptions(settings));
    EXPECT_EQ(restored.GetWidthValue(CurrentUnit), settings.GetWidthValue(CurrentUnit));
}

// Each bad value reads as its default on its own; the good ones beside it still count.
TEST_F(Settings, HandEditedGarbageReadsAsDefaultsKeyByKey)
{
    WriteText(m_path,
        "[options]\nMODE=diagonal\nUNIT=inch\nWIDTH_PIXELS=-5\nHEIGHT_PIXELS=99999999999\nQUALITY=101\n"
        "TARGET_SIZE_KB=0\nCOMPRESSION=\nFORMAT=emf\nOVERWRITE=yes\nMIN_QUALITY=3x\nreference_width = 12 \n"
        "KEEP_TREE=true\nKEEP_DATES\nSTRIP_GPS=TRUE=FALSE\n\x01garbage\n");
    PanelOptions wanted;
    wanted.dimensions.referenceWidth = 12;
    wanted.options.keepTree = true;
    EXPECT_EQ(SettingsStore::GetPanelOptions(), wanted);
}

// A file the previous version wrote keeps its choices; once OPTIONS holds a key, that one counts.
TEST_F(Settings, OldKeysAreReadWhereTheNewSectionLacksThem)
{
    WriteText(m_path, Classic + "DO_NOT_ENLARGE=TRUE\nLOSSLESS=TRUE\nMIN_QUALITY=30\nKEEP_TRANSPARENCY=TRUE\n");
    OutputOptions wanted;
    wanted.doNotEnlarge = wanted.lossless = wanted.keepAlpha = true;
    wanted.minQuality = 30;
    EXPECT_EQ(SettingsStore::GetPanelOptions().options, wanted);
    IniFile(m_path).WriteString("OPTIONS", "LOSSLESS", "FALSE");
    wanted.lossless = false;
    EXPECT_EQ(SettingsStore::GetPanelOptions().options, wanted);
    wanted.skipLarger = true;
    SetStoredOutputOptions(wanted);
    EXPECT_EQ(SettingsStore::GetPanelOptions().options, wanted);
    EXPECT_EQ(ReadText(m_path).rfind(Classic, 0), 0u);
}

TEST_F(Settings, PresetsSaveListLoadReplaceDelete)
{
    WriteText(m_path, Classic);
    std::string error;
    PanelOptions web;
    web.compression.quality = 55;
    ASSERT_TRUE(SettingsStore::SavePreset("  web ", web, error)) << error;
    ASSERT_TRUE(SettingsStore::SavePreset("Archive Ä", Changed(), error)) << error;
    EXPECT_EQ(SettingsStore::GetPresetNames(), (std::vector<std::string> { "Archive Ä", "web" }));
    PanelOptions out;
    ASSERT_TRUE(SettingsStore::LoadPreset("web", out, error)) << error;
    EXPECT_EQ(out, web);
    ASSERT_TRUE(SettingsStore::LoadPreset("archive Ä", out, error)) << error;
    EXPECT_EQ(out, Changed());

    // The same name in another case replaces the preset, and takes the new spelling.
    ASSERT_TRUE(SettingsStore::SavePreset("WEB", Changed(), error)) << error;
    EXPECT_EQ(SettingsStore::GetPresetNames(), (std::vector<std::string> { "Archive Ä", "WEB" }));
    ASSERT_TRUE(SettingsStore::LoadPreset("web", out, error));
    EXPECT_EQ(out, Changed());

    EXPECT_TRUE(SettingsStore::DeletePreset("Web"));
    EXPECT_FALSE(SettingsStore::DeletePreset("web"));
    EXPECT_FALSE(SettingsStore::LoadPreset("web", out, error));
    EXPECT_EQ(error, "no preset named web (presets: Archive Ä)");
    EXPECT_TRUE(SettingsStore::DeletePreset("Archive Ä"));
    EXPECT_EQ(ReadText(m_path), Classic) << "nothing of the presets is left";
    EXPECT_FALSE(SettingsStore::LoadPreset("web", out, error));
    EXPECT_EQ(error, "no preset named web (presets: none)");
}

// A hand-edited preset: missing keys are defaults; a mode or format this version does not know, or any
// unreadable value, refuses the whole preset, saying which key, and leaves out alone.
TEST_F(Settings, PresetWithUnknownValuesIsRefusedUntouched)
{
    WriteText(m_path,
        "[PRESET:short]\nquality=55\n[PRESET:new]\nMODE=spiral\nFORMAT=psd\nQUALITY=70\n"
        "[PRESET:junk]\nKEEP_TREE=maybe\n");
    PanelOptions out = Changed(), wanted;
    std::string error;
    wanted.compression.quality = 55;
    ASSERT_TRUE(SettingsStore::LoadPreset("short", out, error)) << error;
    EXPECT_EQ(out, wanted);
    out = Changed();
    EXPECT_FALSE(SettingsStore::LoadPreset("new", out, error));
    EXPECT_EQ(error.rfind("preset new: MODE=spiral is not a mode this version knows (scaled, fixed,", 0), 0u) << error;
    EXPECT_NE(error.find("; FORMAT=psd is not a format this version writes (jpg, "), std::string::npos) << error;
    EXPECT_FALSE(SettingsStore::LoadPreset("junk", out, error));
    EXPECT_EQ(error, "preset junk: KEEP_TREE=maybe is not TRUE or FALSE");
    EXPECT_EQ(out, Changed());
}

TEST_F(Settings, BadPresetNamesAreRefusedAndNothingWritten)
{
    WriteText(m_path, Classic);
    std::string error;
    for (const std::string& name : std::vector<std::string> {
             "", " \t ", std::string(65, 'x'), "a\tb", "tab]", "bell\x07", "line\nbreak", "\xFF\xFE" }) {
        EXPECT_FALSE(SettingsStore::SavePreset(name, {}, error)) << name;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(ReadText(m_path), Classic);
    std::string longest;
    for (int i = 0; i < 64; ++i)
        longest += "é"; // characters are counted, not bytes
    EXPECT_TRUE(SettingsStore::SavePreset(longest, {}, error)) << error;
    EXPECT_EQ(SettingsStore::GetPresetNames(), std::vector<std::string> { longest });
}

} // namespace
