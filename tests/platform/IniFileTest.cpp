#include "platform/IniFile.h"

#include "platform/ConfigPaths.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every test runs in a private temporary directory that also stands in for the user's home and
// configuration directory, so the real home is never touched.
class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "varnel-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        env.Set("HOME", dir + "/home");
        env.Set("XDG_CONFIG_HOME", dir + "/config");
    }
    void TearDown() override {
        SetSettingsReplaceHookForTesting({});
        fs::remove_all(dir);
    }

    std::string File(const std::string& name = "Zq40Promix.ini") const { return dir + "/" + name; }
    static void Put(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dir;
    testsupport::ScopedEnvironment env;
};

TEST_F(IniFileTest, ABareNameLivesInTheConfigDirectoryWhichTheFirstWriteCreatesPrivate) {
    EXPECT_EQ(GetPrivateProfileIntA("Varnel PRO", "Top", 7, "Zq40Promix.ini"), 7u);
    EXPECT_FALSE(fs::exists(dir + "/config"));

    EXPECT_EQ(WritePrivateProfileStringA("Varnel PRO", "Top", "10", "Zq40Promix.ini"), TRUE);
    std::string path = dir + "/config/varnel-pro/Zq40Promix.ini";
    EXPECT_EQ(Get(path), "[Varnel PRO]\nTop=10\n");
    EXPECT_EQ(fs::status(dir + "/config/varnel-pro").permissions(), fs::perms::owner_all);
    EXPECT_EQ(GetPrivateProfileIntA("Varnel PRO", "Top", 7, "Zq40Promix.ini"), 10u);
    EXPECT_EQ(IniFile("Zq40Promix.ini").Path(), path);
}

TEST_F(IniFileTest, WithoutAnAbsoluteXdgConfigHomeTheFileLivesUnderHomeConfig) {
    env.Unset("XDG_CONFIG_HOME");
    EXPECT_EQ(ResolveProfilePath("Zq40Promix.ini"),
              dir + "/home/.config/varnel-pro/Zq40Promix.ini");
    env.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(ResolveProfilePath("Zq40Promix.ini"),
              dir + "/home/.config/varnel-pro/Zq40Promix.ini");
    EXPECT_EQ(ResolveProfilePath("sub/x.ini"), "sub/x.ini");
    EXPECT_EQ(ResolveProfilePath(""), "");
    EXPECT_EQ(WritePrivateProfileStringA("A", "k", "v", ""), FALSE);
    EXPECT_EQ(WritePrivateProfileStringA("A", "k", "v", nullptr), FALSE);
}

TEST_F(IniFileTest, ValuesOfEveryKindSurviveARoundTrip) {
    {
        IniFile ini(File());
        EXPECT_TRUE(ini.WriteInteger("Analog Input", "Top", -120));
        EXPECT_TRUE(ini.WriteInteger("Analog Input", "Width", INT32_MAX));
        EXPECT_TRUE(ini.WriteString("Analog Input", "Name", "Größe über alles"));
        EXPECT_TRUE(ini.WriteBool("Analog Input", "chkPeakMeter", true));
        EXPECT_TRUE(ini.WriteBool("Analog Input", "pnChecks", false));
        EXPECT_TRUE(ini.WriteString("Analog Input", "Empty", ""));
        EXPECT_EQ(ini.ReadInteger("Analog Input", "Top", 0), -120);
    }
    EXPECT_EQ(Get(File()), "[Analog Input]\nTop=-120\nWidth=2147483647\nName=Größe über alles\n"
                           "chkPeakMeter=1\npnChecks=0\nEmpty=\n");
    IniFile ini(File());
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Top", 0), -120);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Width", 0), INT32_MAX);
    EXPECT_EQ(ini.ReadString("Analog Input", "Name", "-"), "Größe über alles");
    EXPECT_EQ(ini.ReadString("Analog Input", "Empty", "-"), "");
    EXPECT_EQ(ini.ReadString("Analog Input", "Missing", "-"), "-");
    EXPECT_TRUE(ini.ReadBool("Analog Input", "chkPeakMeter", false));
    EXPECT_FALSE(ini.ReadBool("Analog Input", "pnChecks", true));
    EXPECT_EQ(GetPrivateProfileIntA("Analog Input", "Top", 0, File().c_str()),
              static_cast<UINT>(-120));
}

TEST_F(IniFileTest, BooleansAreAnyNonZeroIntegerAndJunkGivesTheDefault) {
    Put(File(), "[V]\na=2\nb=-1\nc=0\nd=abc\ne=0x0\nf=\n");
    IniFile ini(File());
    EXPECT_TRUE(ini.ReadBool("V", "a", false));
    EXPECT_TRUE(ini.ReadBool("V", "b", false));
    EXPECT_FALSE(ini.ReadBool("V", "c", true));
    EXPECT_TRUE(ini.ReadBool("V", "d", true));
    EXPECT_FALSE(ini.ReadBool("V", "d", false));
    EXPECT_FALSE(ini.ReadBool("V", "e", true));
    EXPECT_TRUE(ini.ReadBool("V", "f", true));
}

TEST_F(IniFileTest, IntegersReadFromTheFileFollowTheIntegerRules) {
    Put(File(), "[N]\r\ndec= 42\t\r\nneg=-7\r\nhex=0x1f\r\ndollar=$FF\r\nplus=+3\r\n"
                "junk=12abc\r\nempty=\r\nword=abc\r\nbig=4294967296\r\n");
    const std::string f = File();
    auto read = [&](const char* key) {
        return static_cast<int>(GetPrivateProfileIntA("n", key, -99, f.c_str()));
    };
    EXPECT_EQ(read("DEC"), 42);
    EXPECT_EQ(read("neg"), -7);
    EXPECT_EQ(read("hex"), 31);
    EXPECT_EQ(read("dollar"), 255);
    EXPECT_EQ(read("plus"), 3);
    EXPECT_EQ(read("junk"), -99);
    EXPECT_EQ(read("empty"), -99);
    EXPECT_EQ(read("word"), -99);
    EXPECT_EQ(read("big"), -99);
    EXPECT_EQ(read("missing"), -99);
}

TEST_F(IniFileTest, SectionsAndKeysMatchWhateverTheirCaseAndKeepTheirSpellingOnWrite) {
    Put(File(), "[analog INPUT]\nCHKPEAKMETER=1\n");
    IniFile ini(File());
    EXPECT_TRUE(ini.ReadBool("Analog Input", "chkPeakMeter", false));
    EXPECT_TRUE(ini.WriteBool("Analog Input", "chkPeakMeter", false));
    EXPECT_EQ(Get(File()), "[analog INPUT]\nCHKPEAKMETER=0\n");
}

TEST_F(IniFileTest, WhereASectionOrKeyAppearsTwiceTheFirstIsReadAndWritten) {
    Put(File(), "[A]\nx=1\nx=2\n[a]\nx=3\ny=4\n");
    IniFile ini(File());
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 0);
    EXPECT_TRUE(ini.WriteInteger("A", "x", 9));
    EXPECT_TRUE(ini.WriteInteger("A", "y", 8));
    EXPECT_EQ(Get(File()), "[A]\nx=9\nx=2\ny=8\n[a]\nx=3\ny=4\n");
}

TEST_F(IniFileTest, EditsKeepCommentsUnknownLinesAndWindowsLineEndsByteForByte) {
    Put(File(), "; Varnel settings\r\n"
                "[Analog Input]\r\n"
                "Top = 12\r\n"
                "a line that means nothing\r\n"
                "Left=3\r\n"
                "# about the next section\r\n"
                "\r\n"
                "[ADAT Inputs]\r\n"
                "pnChecks=1\r\n");
    IniFile ini(File());
    EXPECT_TRUE(ini.WriteInteger("Analog Input", "Top", 40));
    EXPECT_TRUE(ini.WriteBool("Analog Input", "Hints", true));
    EXPECT_TRUE(ini.WriteInteger("Varnel PRO", "Width", 300));
    EXPECT_EQ(Get(File()), "; Varnel settings\r\n"
                           "[Analog Input]\r\n"
                           "Top = 40\r\n"
                           "a line that means nothing\r\n"
                           "Left=3\r\n"
                           "Hints=1\r\n"
                           "# about the next section\r\n"
                           "\r\n"
                           "[ADAT Inputs]\r\n"
                           "pnChecks=1\r\n"
                           "\r\n"
                           "[Varnel PRO]\r\n"
                           "Width=300\r\n");
}

TEST_F(IniFileTest, BinaryJunkAndNulBytesAreReadAroundAndKeptOnWrite) {
    std::string junk;
    for (int i = 0; i < 256; ++i)
        junk.push_back(static_cast<char>(i));
    std::string before = "[Digital Input]\nTop=5\n" + junk + junk + "\n[Analog Output]\nLeft=7\n";
    Put(File(), before);
    IniFile ini(File());
    EXPECT_EQ(ini.ReadInteger("Digital Input", "Top", 0), 5);
    EXPECT_EQ(ini.ReadInteger("Analog Output", "Left", 0), 7);
    EXPECT_TRUE(ini.WriteInteger("Digital Input", "Top", 6));
    std::string expected = before;
    expected.replace(expected.find("Top=5"), 5, "Top=6");
    EXPECT_EQ(Get(File()), expected);
}

TEST_F(IniFileTest, ANulInsideAValueEndsIt) {
    Put(File(), std::string("[A]\nname=abc\0def\n", 17));
    char buffer[16] = "xxxxxxxxxxxxxxx";
    EXPECT_EQ(GetPrivateProfileStringA("A", "name", "", buffer, sizeof buffer, File().c_str()), 3u);
    EXPECT_STREQ(buffer, "abc");
}

TEST_F(IniFileTest, AFiveMegabyteLineIsReadTruncatedAndKeptWhole) {
    std::string huge(5 * 1024 * 1024, 'a');
    std::string before = "[Big]\nx=" + huge + "\n[Analog Input]\nTop=1\n";
    Put(File(), before);
    std::vector<char> buffer(256);
    EXPECT_EQ(GetPrivateProfileStringA("Big", "x", "", buffer.data(), 256, File().c_str()), 255u);
    EXPECT_EQ(std::string(buffer.data()), huge.substr(0, 255));
    EXPECT_EQ(WritePrivateProfileStringA("Analog Input", "Top", "2", File().c_str()), TRUE);
    std::string after = Get(File());
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 8 + huge.size()), before.substr(0, 8 + huge.size()));
    EXPECT_EQ(IniFile(File()).ReadString("Big", "x", "").size(), huge.size());
}

TEST_F(IniFileTest, AMissingBracketHidesThatSectionOnlyAndItsLinesStay) {
    std::string before =
        "[Analog Input]\nTop=1\n[Digital Input\nTop=2\nLeft=9\n[ADAT Inputs]\nTop=3\n";
    Put(File(), before);
    IniFile ini(File());
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Top", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Analog Input", "Left", 0), 0);
    EXPECT_EQ(ini.ReadInteger("Digital Input", "Top", 0), 0);
    EXPECT_EQ(ini.ReadInteger("ADAT Inputs", "Top", 0), 3);
    EXPECT_TRUE(ini.WriteInteger("Digital Input", "Top", 4));
    EXPECT_EQ(Get(File()), before + "\n[Digital Input]\nTop=4\n");
}

TEST_F(IniFileTest, TheStringFunctionCopiesAtMostSizeMinusOneBytesAndNeverSplitsACharacter) {
    Put(File(), "[A]\nname=Größe\n");
    const std::string f = File();
    char buffer[8];
    // "Gr" then "ö" (2 bytes) then "ß" (2 bytes): 4 bytes fit of 5 would split the "ß".
    EXPECT_EQ(GetPrivateProfileStringA("A", "name", "", buffer, 6, f.c_str()), 4u);
    EXPECT_STREQ(buffer, "Grö");
    EXPECT_EQ(GetPrivateProfileStringA("A", "name", "", buffer, 4, f.c_str()), 2u);
    EXPECT_STREQ(buffer, "Gr");
    EXPECT_EQ(GetPrivateProfileStringA("A", "name", "", buffer, 1, f.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'z';
    EXPECT_EQ(GetPrivateProfileStringA("A", "name", "", buffer, 0, f.c_str()), 0u);
    EXPECT_EQ(buffer[0], 'z');
    EXPECT_EQ(GetPrivateProfileStringA("A", "missing", "dflt", buffer, 8, f.c_str()), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetPrivateProfileStringA("A", "missing", nullptr, buffer, 8, f.c_str()), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(IniFileTest, NullNamesListSectionsAndKeysAndNullWritesDelete) {
    Put(File(), "[A]\nx=1\ny=2\n[B]\nz=3\n");
    const std::string f = File();
    char buffer[32];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, f.c_str()), 4u);
    EXPECT_EQ(std::string(buffer, 5), std::string("A\0B\0\0", 5));
    EXPECT_EQ(GetPrivateProfileStringA("a", nullptr, "", buffer, sizeof buffer, f.c_str()), 4u);
    EXPECT_EQ(std::string(buffer, 5), std::string("x\0y\0\0", 5));
    EXPECT_EQ(GetPrivateProfileStringA("a", nullptr, "", buffer, 4, f.c_str()), 2u);
    EXPECT_EQ(std::string(buffer, 4), std::string("x\0\0\0", 4));

    EXPECT_EQ(WritePrivateProfileStringA("A", "x", nullptr, f.c_str()), TRUE);
    EXPECT_EQ(WritePrivateProfileStringA("B", nullptr, nullptr, f.c_str()), TRUE);
    EXPECT_EQ(Get(f), "[A]\ny=2\n");
    EXPECT_EQ(WritePrivateProfileStringA(nullptr, nullptr, nullptr, f.c_str()), TRUE);
    EXPECT_EQ(WritePrivateProfileStringA(nullptr, "x", "1", f.c_str()), FALSE);
}

TEST_F(IniFileTest, AWriteThatCouldBreakTheFilesStructureIsRefusedAndChangesNothing) {
    Put(File(), "[A]\nx=1\n");
    IniFile ini(File());
    EXPECT_FALSE(ini.WriteString("A", "x", "1\n[Evil]\nx=2"));
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_FALSE(ini.WriteString("A]", "x", "1"));
    EXPECT_FALSE(ini.WriteString("A", "x=y", "1"));
    EXPECT_EQ(WritePrivateProfileStringA("A", "", "1", File().c_str()), FALSE);
    EXPECT_EQ(Get(File()), "[A]\nx=1\n");
    EXPECT_TRUE(ini.WriteString("A", "x", "2"));
    EXPECT_TRUE(ini.LastError().empty());
}

TEST_F(IniFileTest, AReplacementIsATemporaryFileBesideTheOriginalRenamedOverIt) {
    Put(File(), "[A]\nx=1\n");
    std::string seenTemp, seenTempContent, seenOriginal;
    SetSettingsReplaceHookForTesting([&](const std::string& temp, const std::string& target) {
        seenTemp = temp;
        seenTempContent = Get(temp);
        seenOriginal = Get(target);
        return true;
    });
    EXPECT_TRUE(IniFile(File()).WriteInteger("A", "x", 2));
    EXPECT_EQ(fs::path(seenTemp).parent_path(), fs::path(dir));
    EXPECT_EQ(seenTempContent, "[A]\nx=2\n");
    EXPECT_EQ(seenOriginal, "[A]\nx=1\n");
    EXPECT_EQ(Get(File()), "[A]\nx=2\n");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Zq40Promix.ini"});
}

TEST_F(IniFileTest, AFailedReplacementReportsFailureAndLeavesTheOldFileAndNoLeftovers) {
    Put(File(), "[A]\nx=1\n");
    SetSettingsReplaceHookForTesting([](const std::string&, const std::string&) { return false; });
    IniFile ini(File());
    EXPECT_FALSE(ini.WriteInteger("A", "x", 2));
    EXPECT_NE(ini.LastError().find("cannot replace"), std::string::npos);
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(WritePrivateProfileStringA("A", "x", "3", File().c_str()), FALSE);
    EXPECT_EQ(Get(File()), "[A]\nx=1\n");
    EXPECT_EQ(Listing(), std::vector<std::string>{"Zq40Promix.ini"});
}

TEST_F(IniFileTest, AProcessDyingInTheMiddleOfAWriteLeavesTheOldFileWhole) {
    Put(File(), "[A]\nx=1\n");
    EXPECT_EXIT(
        {
            SetSettingsReplaceHookForTesting(
                [](const std::string&, const std::string&) -> bool { ::_exit(3); });
            IniFile(File()).WriteInteger("A", "x", 2);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(Get(File()), "[A]\nx=1\n");
    EXPECT_EQ(Listing().size(), 2u) << "the dead writer's temporary file stays behind";
    EXPECT_EQ(IniFile(File()).ReadInteger("A", "x", 0), 1);
    EXPECT_TRUE(IniFile(File()).WriteInteger("A", "x", 4));
    EXPECT_EQ(Get(File()), "[A]\nx=4\n");
}

TEST_F(IniFileTest, AnExistingFileThatCannotBeReadIsNeverReplaced) {
    fs::create_directory(File());
    fs::create_directory(File() + "/inside");
    IniFile ini(File());
    EXPECT_EQ(ini.ReadInteger("A", "x", 5), 5);
    EXPECT_FALSE(ini.WriteInteger("A", "x", 1));
    EXPECT_NE(ini.LastError().find("cannot be read"), std::string::npos);
    EXPECT_EQ(WritePrivateProfileStringA("A", "x", "1", File().c_str()), FALSE);
    EXPECT_TRUE(fs::is_directory(File() + "/inside"));

    // Too large to be a settings file: a sparse file costs no disk space.
    std::string big = File("big.ini");
    Put(big, "[A]\nx=1\n");
    fs::resize_file(big, kMaxSettingsFileSize + 1);
    EXPECT_EQ(GetPrivateProfileIntA("A", "x", 5, big.c_str()), 5u);
    EXPECT_EQ(WritePrivateProfileStringA("A", "x", "2", big.c_str()), FALSE);
    EXPECT_EQ(fs::file_size(big), kMaxSettingsFileSize + 1);
}

TEST_F(IniFileTest, ARewriteKeepsThePermissionsAndTheSymbolicLink) {
    Put(File(), "[A]\nx=1\n");
    fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(IniFile(File()).WriteInteger("A", "x", 2));
    EXPECT_EQ(fs::status(File()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_symlink(File(), File("link.ini"));
    EXPECT_EQ(WritePrivateProfileStringA("A", "x", "3", File("link.ini").c_str()), TRUE);
    EXPECT_TRUE(fs::is_symlink(File("link.ini")));
    EXPECT_EQ(Get(File()), "[A]\nx=3\n");
}

TEST_F(IniFileTest, AnOpenFileAnswersFromItsCopyButAWriteKeepsWhatOthersWroteMeanwhile) {
    Put(File(), "[A]\nx=1\n");
    IniFile ini(File());
    Put(File(), "[A]\nx=1\ny=7\n");
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 0) << "reads come from the copy made at opening";
    EXPECT_TRUE(ini.WriteInteger("A", "x", 2));
    EXPECT_EQ(Get(File()), "[A]\nx=2\ny=7\n");
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 7);
}

TEST_F(IniFileTest, AWriteThatChangesNothingLeavesTheFileAlone) {
    Put(File(), "[A]\nx=1\n");
    auto before = StampOf(File());
    EXPECT_TRUE(IniFile(File()).WriteInteger("A", "x", 1));
    EXPECT_TRUE(IniFile(File()).DeleteKey("A", "missing"));
    EXPECT_EQ(StampOf(File()), before);
}

// Root may write any file: the user who may not is played by nobody, in a child process.
TEST_F(IniFileTest, AFileTheUserMayNotWriteIsReadAsUsualAndNeverReplaced) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root to act as user nobody";
    fs::permissions(dir, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const std::string readOnly = File("ro"), closed = File("closed");
    for (const std::string& sub : {readOnly, closed}) {
        fs::create_directory(sub);
        Put(sub + "/Zq40Promix.ini", "; foreign\n[A]\nx=7\n");
        ASSERT_EQ(::chown(sub.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        ASSERT_EQ(::chown((sub + "/Zq40Promix.ini").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    fs::permissions(readOnly + "/Zq40Promix.ini", fs::perms::owner_read);
    fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_exec);

    for (const std::string& sub : {readOnly, closed}) {
        SCOPED_TRACE(sub);
        const std::string path = sub + "/Zq40Promix.ini";
        const auto before = StampOf(path);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(9);
            IniFile ini(path);
            const bool read = ini.ReadInteger("A", "x", 0) == 7;
            const bool refused = !ini.WriteInteger("A", "x", 8) && !ini.LastError().empty();
            const bool keptCopy = ini.ReadInteger("A", "x", 0) == 7;
            ::_exit(read && refused && keptCopy ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(Get(path), "; foreign\n[A]\nx=7\n");
        EXPECT_EQ(StampOf(path), before);
        EXPECT_EQ(fs::directory_iterator(sub)->path().filename(), "Zq40Promix.ini");
        EXPECT_EQ(std::distance(fs::directory_iterator(sub), fs::directory_iterator()), 1);
    }
}

TEST_F(IniFileTest, HeldWritesReplaceTheFileOnceAndKeepWhatOthersWroteMeanwhile) {
    Put(File(), "; foreign\n[A]\nx=1\n");
    int replacements = 0;
    SetSettingsReplaceHookForTesting([&](const std::string&, const std::string&) {
        ++replacements;
        return true;
    });
    {
        IniFile ini(File());
        ini.HoldWrites();
        EXPECT_TRUE(ini.WriteInteger("A", "x", 2));
        EXPECT_TRUE(ini.WriteString("B", "y", "new"));
        EXPECT_EQ(ini.ReadInteger("A", "x", 0), 2) << "the copy answers with the held writes";
        EXPECT_EQ(Get(File()), "; foreign\n[A]\nx=1\n");
        Put(File(), "; foreign\n[A]\nx=1\nz=9\n");
        EXPECT_TRUE(ini.DeleteKey("B", "y"));
        EXPECT_TRUE(ini.WriteBool("B", "w", true));
        EXPECT_TRUE(ini.Flush());
        EXPECT_EQ(replacements, 1);
        EXPECT_EQ(Get(File()), "; foreign\n[A]\nx=2\nz=9\n\n[B]\nw=1\n");

        ini.HoldWrites();
        EXPECT_TRUE(ini.WriteInteger("A", "x", 3));
    }
    EXPECT_EQ(replacements, 2) << "closing writes what is still held";
    EXPECT_EQ(IniFile(File()).ReadInteger("A", "x", 0), 3);

    SetSettingsReplaceHookForTesting([](const std::string&, const std::string&) { return false; });
    IniFile ini(File());
    ini.HoldWrites();
    EXPECT_TRUE(ini.WriteInteger("A", "x", 4));
    EXPECT_FALSE(ini.Flush());
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 3) << "a failed flush leaves the copy as the file is";
    EXPECT_EQ(Listing(), std::vector<std::string>{"Zq40Promix.ini"});
}

} // namespace
