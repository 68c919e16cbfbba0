#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "app/Cp932.h"
#include "app/SettingsFile.h"
#include "support/FileBytes.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

using namespace speclore;
using namespace std::string_literals;
using speclore::test::TempDir;
using speclore::testing::RecordingMessageBox;

namespace {

size_t filesIn(const std::string& folder) {
    size_t count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

}  // namespace

// A file as the Windows profile functions and hand editing leave it: CRLF,
// spaces around "=", quotes, comments, lines without "=", other letter case,
// double-byte names and values in code page 932, duplicates.
TEST(SettingsFile, ReadsAFileWrittenOnWindows) {
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    speclore::test::writeText(ini, utf8ToCp932("; saved by hand\r\n"
                                               "[Initial]\r\n"
                                               "  MdbFile  =  C:\\data\\販売.mdb  \r\n"
                                               "TableTitle=\"  quoted keeps inner blanks  \"\r\n"
                                               "RelationTitle='single'\r\n"
                                               "Mismatched=\"half'\r\n"
                                               "JustAQuote=\"\r\n"
                                               "no equals sign here\r\n"
                                               "\r\n"
                                               "Account=first\r\n"
                                               "Account=second\r\n"
                                               "[CATALOG]\r\n"
                                               "ctTitleA=項目名\r\n"
                                               "[INITIAL]\r\n"
                                               "OPTION=from the duplicate section\r\n"));

    EXPECT_EQ(GetIniValue(ini, "INITIAL", "MDBFILE"), "C:\\data\\販売.mdb");
    EXPECT_EQ(GetIniValue(ini, "initial", "tabletitle"), "  quoted keeps inner blanks  ");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "RelationTitle"), "single");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "Mismatched"), "\"half'");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "JustAQuote"), "\"");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "no equals sign here"), "");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "Account"), "first");
    EXPECT_EQ(GetIniValue(ini, "Catalog", "ctTitleA"), "項目名");
    // Only the first section of a name is searched.
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "OPTION"), "");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "; saved by hand"), "");
}

TEST(SettingsFile, LfOnlyFileAndUtf8ByteOrderMark) {
    TempDir folder;
    const std::string lf = (folder / "lf.ini").string();
    speclore::test::writeText(lf, utf8ToCp932("[INITIAL]\nACCOUNT=管理者\nOPTION=1\n"));
    EXPECT_EQ(GetIniValue(lf, "INITIAL", "ACCOUNT"), "管理者");
    ASSERT_TRUE(SetIniValue(lf, "INITIAL", "PASSWORD", "X"));
    EXPECT_EQ(speclore::test::readText(lf), utf8ToCp932("[INITIAL]\nACCOUNT=管理者\nOPTION=1\nPASSWORD=X\n"));

    // An editor that saved the file as UTF-8 marks it so; it stays UTF-8.
    const std::string bom = (folder / "bom.ini").string();
    speclore::test::writeText(bom, "\xEF\xBB\xBF[INITIAL]\r\nACCOUNT=管理者\r\n");
    EXPECT_EQ(GetIniValue(bom, "INITIAL", "ACCOUNT"), "管理者");
    ASSERT_TRUE(SetIniValue(bom, "INITIAL", "ACCOUNT", "利用者"));
    EXPECT_EQ(speclore::test::readText(bom), "\xEF\xBB\xBF[INITIAL]\r\nACCOUNT=利用者\r\n");
}

TEST(SettingsFile, NamesMatchIgnoringAsciiCaseButNotInsideDoubleByteCharacters) {
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    // "ア" is 83 41 and "ヂ" 83 61: their second bytes differ only as "A" and "a".
    ASSERT_TRUE(SetIniValue(ini, "表", "アKey", "katakana a"));
    EXPECT_EQ(GetIniValue(ini, "表", "アkey"), "katakana a");
    EXPECT_EQ(GetIniValue(ini, "表", "ヂKey"), "");
    ASSERT_TRUE(SetIniValue(ini, "表", "ヂKey", "katakana di"));
    EXPECT_EQ(GetIniValue(ini, "表", "アKEY"), "katakana a");
    EXPECT_EQ(GetIniValue(ini, "表", "ヂKEY"), "katakana di");
}

TEST(SettingsFile, MissingFileReadsEmptyAndFirstWriteCreatesIt) {
    RecordingMessageBox boxes;
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "MDBFILE"), "");
    EXPECT_FALSE(std::filesystem::exists(ini));

    ASSERT_TRUE(SetIniValue(ini, "INITIAL", "MDBFILE", "  /data/販売.mdb  "));
    ASSERT_TRUE(SetIniValue(ini, "INITIAL", "ACCOUNT", ""));
    ASSERT_TRUE(SetIniValue(ini, "CATALOG", "ctText", "テキスト"));
    EXPECT_EQ(speclore::test::readText(ini),
              utf8ToCp932("[INITIAL]\r\nMDBFILE=  /data/販売.mdb  \r\nACCOUNT=\r\n"
                          "[CATALOG]\r\nctText=テキスト\r\n"));
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "MDBFILE"), "/data/販売.mdb");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "ACCOUNT"), "");
    EXPECT_EQ(GetIniValue(ini, "INITIAL", "DBPASSWORD"), "");
    EXPECT_EQ(GetIniValue(ini, "OTHER", "ACCOUNT"), "");

    struct stat info {};
    ASSERT_EQ(::stat(ini.c_str(), &info), 0);
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
    EXPECT_TRUE(boxes.boxes.empty());
}

// A snapshot answers as the file was when it was read, missing or not.
TEST(SettingsFile, ASnapshotKeepsTheValuesOfItsRead) {
    RecordingMessageBox boxes;
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    const SettingsSnapshot before(ini);
    ASSERT_TRUE(SetIniValue(ini, "CATALOG", "ctText", "テキスト"));
    const SettingsSnapshot read(ini);
    ASSERT_TRUE(SetIniValue(ini, "CATALOG", "ctText", "文字列"));

    EXPECT_EQ(before.GetIniValue("CATALOG", "ctText", "既定"), "既定");
    EXPECT_EQ(read.GetIniValue("catalog", "CTTEXT", "既定"), "テキスト");
    EXPECT_EQ(read.GetIniValue("CATALOG", "ctMemo", "既定"), "既定");
    EXPECT_EQ(GetIniValue(ini, "CATALOG", "ctText"), "文字列");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(SettingsFile, WritingOneValueKeepsEveryOtherLine) {
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    const std::string before = utf8ToCp932(
        "; comment\r\n"
        "[INITIAL]\r\n"
        "MDBFILE = old\r\n"
        "  Unknown = kept as is  \r\n"
        "\r\n"
        "[CATALOG]\r\n"
        "ctTitleA=項目\r\n"
        "\r\n"
        "[INITIAL]\r\n"
        "MDBFILE=duplicate section\r\n"
        "last line without line end");
    speclore::test::writeText(ini, before);

    ASSERT_TRUE(SetIniValue(ini, "initial", "mdbfile", "new"));
    ASSERT_TRUE(SetIniValue(ini, "INITIAL", "ACCOUNT", "admin"));
    ASSERT_TRUE(SetIniValue(ini, "CATALOG", "ctTitleB", "名前"));
    ASSERT_TRUE(SetIniValue(ini, "NEW", "KEY", "v"));
    EXPECT_EQ(speclore::test::readText(ini), utf8ToCp932("; comment\r\n"
                                                         "[INITIAL]\r\n"
                                                         "MDBFILE=new\r\n"
                                                         "  Unknown = kept as is  \r\n"
                                                         "ACCOUNT=admin\r\n"
                                                         "\r\n"
                                                         "[CATALOG]\r\n"
                                                         "ctTitleA=項目\r\n"
                                                         "ctTitleB=名前\r\n"
                                                         "\r\n"
                                                         "[INITIAL]\r\n"
                                                         "MDBFILE=duplicate section\r\n"
                                                         "last line without line end\r\n"
                                                         "[NEW]\r\n"
                                                         "KEY=v\r\n"));
}

TEST(SettingsFile, LongValuesAreCutTo1023BytesWithoutSplittingACharacter) {
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    ASSERT_TRUE(SetIniValue(ini, "S", "ascii", std::string(1100, 'a')));
    EXPECT_EQ(GetIniValue(ini, "S", "ascii"), std::string(1023, 'a'));

    // 1022 single-byte characters, then "漢" whose second byte would be 1024th.
    ASSERT_TRUE(SetIniValue(ini, "S", "split", std::string(1022, 'b') + "漢字"));
    EXPECT_EQ(GetIniValue(ini, "S", "split"), std::string(1022, 'b'));
    ASSERT_TRUE(SetIniValue(ini, "S", "fits", std::string(1021, 'c') + "漢字"));
    EXPECT_EQ(GetIniValue(ini, "S", "fits"), std::string(1021, 'c') + "漢");

    // A 1 MB line in a hand-made file is cut the same way.
    speclore::test::writeText(ini, "[S]\r\nhuge=" + std::string(1 << 20, 'h') + "\r\nafter=ok\r\n");
    EXPECT_EQ(GetIniValue(ini, "S", "huge"), std::string(1023, 'h'));
    EXPECT_EQ(GetIniValue(ini, "S", "after"), "ok");
}

TEST(SettingsFile, BinaryAndInvalidBytesNeitherCrashNorBox) {
    RecordingMessageBox boxes;
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    std::string binary = "[S]\r\nnul=before\0after\r\nbad=\xA0\xFF\x81\r\n\x00\x01[\xFE]\r\n"s;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    speclore::test::writeText(ini, binary);

    EXPECT_EQ(GetIniValue(ini, "S", "nul"), "before");
    EXPECT_FALSE(GetIniValue(ini, "S", "bad").empty());
    ASSERT_TRUE(SetIniValue(ini, "S", "nul", "x"));
    // Every byte outside the changed line survives.
    std::string after = speclore::test::readText(ini);
    EXPECT_EQ(after.substr(after.find("\r\nbad=")), binary.substr(binary.find("\r\nbad=")));
    EXPECT_TRUE(boxes.boxes.empty());
}

// Writes that cannot be done give false, show nothing, and leave whatever
// was there: text the file cannot hold on one line, a folder in place of the
// file, a missing or unwritable folder, a pipe. A name near the longest
// allowed is written: the temporary file beside it has a short name of its
// own.
TEST(SettingsFile, RefusedWritesGiveFalseAndKeepTheOldFile) {
    RecordingMessageBox boxes;
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    ASSERT_TRUE(SetIniValue(ini, "INITIAL", "ACCOUNT", "a"));
    const std::string before = speclore::test::readText(ini);
    EXPECT_FALSE(SetIniValue(ini, "INITIAL", "ACCOUNT", "a\r\n[INJECTED]\r\nX=1"));
    EXPECT_FALSE(SetIniValue(ini, "INITIAL", "A=B", "v"));
    EXPECT_FALSE(SetIniValue(ini, "INITIAL", "KEY", "a\0b"s));
    EXPECT_EQ(speclore::test::readText(ini), before);

    EXPECT_EQ(GetIniValue(folder.path().string(), "S", "K"), "");
    EXPECT_FALSE(SetIniValue(folder.path().string(), "S", "K", "v"));
    EXPECT_FALSE(SetIniValue((folder / "no-such-folder/Speclore.ini").string(), "S", "K", "v"));
    const std::string pipe = (folder / "pipe.ini").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(GetIniValue(pipe, "S", "K"), "");
    EXPECT_FALSE(SetIniValue(pipe, "S", "K", "v"));
    ::unlink(pipe.c_str());

    const std::string longName = (folder / std::string(250, 'n')).string();
    speclore::test::writeText(longName, before);
    EXPECT_TRUE(SetIniValue(longName, "INITIAL", "ACCOUNT", "new"));
    EXPECT_EQ(GetIniValue(longName, "INITIAL", "ACCOUNT"), "new");

    if (::geteuid() != 0) {  // root writes anywhere
        ::chmod(folder.path().string().c_str(), 0555);
        EXPECT_FALSE(SetIniValue(ini, "INITIAL", "ACCOUNT", "new"));
        ::chmod(folder.path().string().c_str(), 0755);
        EXPECT_EQ(speclore::test::readText(ini), before);
    }
    EXPECT_EQ(filesIn(folder.path().string()), 2u);
    EXPECT_TRUE(boxes.boxes.empty());
}

// The disk filling up in the middle of the write (a file size limit here):
// the old file survives whole and no temporary file is left behind.
TEST(SettingsFile, FailedWriteLeavesTheOldFileWhole) {
    TempDir folder;
    const std::string ini = (folder / "Speclore.ini").string();
    const std::string before = "[S]\r\nK=old\r\n";
    speclore::test::writeText(ini, before);
    ::chmod(ini.c_str(), 0640);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            64, 64
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool written = SetIniValue(ini, "S", "K", std::string(4096, 'x'));
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
    EXPECT_EQ(speclore::test::readText(ini), before);
    EXPECT_EQ(filesIn(folder.path().string()), 1u);

    ASSERT_TRUE(SetIniValue(ini, "S", "K", "new"));
    struct stat info {};
    ASSERT_EQ(::stat(ini.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(SettingsFile, SymbolicLinkStaysALink) {
    TempDir folder;
    const std::string real = (folder / "real.ini").string();
    const std::string link = (folder / "Speclore.ini").string();
    speclore::test::writeText(real, "[S]\r\nK=old\r\n");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(SetIniValue(link, "S", "K", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(speclore::test::readText(real), "[S]\r\nK=new\r\n");
}
