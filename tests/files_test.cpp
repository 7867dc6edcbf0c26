// Whole files read and replaced (platform/files.h), and the lyric files written through them: a
// replacement leaves exactly the new contents, a failed one leaves the old file as it was and no
// temporary behind.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "music/lyrics.h"

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#define mkdir(path, mode) _mkdir(path)
#define rmdir _rmdir
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using platform::ReadWholeFile;
using platform::ReplaceFileContents;

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }
bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }
bool Exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// A fresh folder in the working folder, removed with what the test leaves in it.
class FilesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeFolder(folder_)); }
    void TearDown() override {
        for (const char* name : {"a.txt", "a.txt.tmp", "song.lrc", "song.lrc.tmp"}) std::remove(In(name).c_str());
        RemoveFolder(In("a.txt.tmp"));
        RemoveFolder(In("a.txt"));
        RemoveFolder(folder_);
    }
    std::string In(const std::string& name) const { return folder_ + "/" + name; }
    const std::string folder_ = "files_test_" + std::to_string(getpid());
};

const std::string kOld("old\r\ncontents\0with a zero", 25);
const std::string kNew = "new " + std::string(200000, '\x81') + std::string("\0\r\n", 3);

TEST_F(FilesTest, ReplacementLeavesExactlyTheNewContents) {
    const std::string path = In("a.txt");
    std::string read;
    EXPECT_FALSE(ReadWholeFile(path, read, 100));
    ASSERT_TRUE(ReplaceFileContents(path, kOld));  // a missing file is created
    ASSERT_TRUE(ReplaceFileContents(path, kNew));
    EXPECT_TRUE(ReadWholeFile(path, read, kNew.size()));
    EXPECT_EQ(read, kNew);
    EXPECT_FALSE(ReadWholeFile(path, read, kNew.size() - 1));
    EXPECT_EQ(read, "");
    EXPECT_FALSE(Exists(path + ".tmp"));
}

TEST_F(FilesTest, FailedReplacementLeavesTheOldFile) {
    const std::string path = In("a.txt");
    const struct {
        const char* what;
        std::string target;
        std::function<bool()> prepare;  // makes the replacement fail, whoever runs the test
        std::string folder;  // a folder the failure leaves as it was, or ""
    } cases[] = {
        {"the folder does not exist", In("missing/a.txt"), [] { return true; }, ""},
        {"the temporary's name is a folder", path, [&] { return MakeFolder(path + ".tmp"); }, path + ".tmp"},
        {"the file is a folder", path, [&] { return std::remove(path.c_str()) == 0 && MakeFolder(path); }, path},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(ReplaceFileContents(path, kOld) && c.prepare()) << c.what;
        EXPECT_FALSE(ReplaceFileContents(c.target, kNew)) << c.what;
        if (!c.folder.empty()) {
            EXPECT_TRUE(RemoveFolder(c.folder)) << c.what;  // still there, and empty
        }
        std::string read;
        if (c.folder != path) {
            EXPECT_TRUE(ReadWholeFile(path, read, 100) && read == kOld) << c.what;
        }
        EXPECT_FALSE(Exists(c.target + ".tmp")) << c.what;
        EXPECT_FALSE(RemoveFolder(In("missing"))) << c.what;
    }
}

TEST_F(FilesTest, LyricFilesReadAndWritten) {
    const std::string song = In("song.mp3"), lrc = In("song.lrc");
    EXPECT_FALSE(music::LoadLyricFile(song, "", Exists, 60000).loaded);
    ASSERT_TRUE(ReplaceFileContents(lrc, "[ti:歌]\r\n[00:01.00]a\r\n[00:02.00]b"));
    EXPECT_FALSE(music::LoadLyricFile(song, "", Exists, 10000).loaded);

    music::Lyric lyric = music::LoadLyricFile(song, "", Exists, 60000);
    EXPECT_TRUE(lyric.loaded && lyric.path == lrc && music::LineCount(lyric) == 3);
    lyric.offset = -500;
    ASSERT_TRUE(music::SaveOffsetToFile(lyric));
    std::string text;
    EXPECT_TRUE(ReadWholeFile(lrc, text, 1000));
    EXPECT_EQ(text, "[offset:-500]\r\n[ti:歌]\r\n[00:01.00]a\r\n[00:02.00]b");

    ASSERT_TRUE(music::BakeOffset(lyric, 60000) && music::WriteLyricFile(lyric, 60000));
    EXPECT_TRUE(ReadWholeFile(lrc, text, 1000));
    EXPECT_EQ(text, "[ti:歌]\r\n[ar:]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n[00:00.50]a\r\n[00:01.50]b\r\n");

    lyric.path = In("missing/song.lrc");
    EXPECT_FALSE(music::WriteLyricFile(lyric, 60000));
    EXPECT_FALSE(music::SaveOffsetToFile(lyric));
}

}  // namespace
