// Whole files read and replaced (platform/files.h), and the lyric files written through them: a
// replacement leaves exactly the new contents in the file the user meant (through a symlink, with
// its permissions), never writes where it was not asked to, refuses what must not be replaced, and
// leaves the old file as it was and nothing behind when it fails.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "music/lyrics.h"

#ifdef _WIN32
#include <windows.h>

#include <direct.h>
#include <process.h>
#define mkdir(path, mode) _mkdir(path)
#define rmdir _rmdir
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using platform::ReadWholeFile;
using platform::ReplaceError;
using platform::ReplaceFileFrom;
using platform::ReplaceFileContents;

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }
bool Exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}
std::string Read(const std::string& path) {
    std::string text;
    return ReadWholeFile(path, text, 1 << 20) ? text : "(unreadable)";
}

// A fresh folder in the working folder, removed with all it holds.
class FilesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeFolder(folder_)); }
    void TearDown() override { RemoveTree(folder_); }
    std::string In(const std::string& name) const { return folder_ + "/" + name; }

#ifdef _WIN32
    static void RemoveTree(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "/*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = folder + "/" + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        rmdir(folder.c_str());
    }
    // The names in the folder, sorted.
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "/*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }
#else
    static void RemoveTree(const std::string& folder) {
        if (DIR* dir = opendir(folder.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name == "." || name == "..") continue;
                const std::string path = folder + "/" + name;
                struct stat st {};
                if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                    chmod(path.c_str(), 0700);
                    RemoveTree(path);
                } else {
                    unlink(path.c_str());
                }
            }
            closedir(dir);
        }
        rmdir(folder.c_str());
    }
    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(folder.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
#endif
    std::vector<std::string> Names() const { return Names(folder_); }

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
    EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});

    // Contents given in pieces arrive whole and in order.
    const auto pieces = ReplaceFileFrom(path, [](const platform::FileSink& write) {
        for (int i = 0; i < 1000; ++i)
            if (!write(std::to_string(i) + ",")) return false;
        return true;
    });
    EXPECT_TRUE(pieces);
    std::string expected;
    for (int i = 0; i < 1000; ++i) expected += std::to_string(i) + ",";
    EXPECT_EQ(Read(path), expected);
}

// Each failure leaves the target as it was and the folder holding what it held before.
TEST_F(FilesTest, FailedReplacementLeavesTheOldFileAndNothingElse) {
    const std::string path = In("a.txt");
    const struct {
        const char* what;
        std::string target;
        std::function<bool()> prepare;
        ReplaceError error;
        platform::FileProducer produce;
    } cases[] = {
        {"the folder does not exist", In("missing/a.txt"), [] { return true; }, ReplaceError::kNoFolder, nullptr},
        {"the target is a folder", In("sub"), [&] { return MakeFolder(In("sub")); }, ReplaceError::kFolder, nullptr},
        {"the producer gives up halfway", path, [] { return true; }, ReplaceError::kAborted,
         [](const platform::FileSink& write) { return write("half of it") && false; }},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(ReplaceFileContents(path, kOld) && c.prepare()) << c.what;
        const std::vector<std::string> before = Names();
        const platform::ReplaceResult result =
            c.produce ? ReplaceFileFrom(c.target, c.produce) : ReplaceFileContents(c.target, kNew);
        EXPECT_FALSE(result) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
        EXPECT_EQ(Read(path), kOld) << c.what;
        EXPECT_EQ(Names(), before) << c.what;
    }
}

#ifndef _WIN32

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}
bool IsLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A symlink is written through to the file it names; the link stays a link, whether it is relative,
// absolute, a chain or names a file still to be made.
TEST_F(FilesTest, SymlinksAreWrittenThrough) {
    ASSERT_TRUE(MakeFolder(In("real")));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const struct {
        const char* what;
        std::string link;
        std::string points_to;  // as written in the link
        std::string real;       // the file that must receive the contents
        bool real_exists;
    } cases[] = {
        {"relative link", In("cal.ics"), "real/real.ics", In("real/real.ics"), true},
        {"absolute link", In("abs.ics"), std::string(cwd) + "/" + In("real/abs-real.ics"), In("real/abs-real.ics"), true},
        {"chain of two", In("chain.ics"), "cal.ics", In("real/real.ics"), true},
        {"link to a file still to be made", In("new.ics"), "real/new-real.ics", In("real/new-real.ics"), false},
    };
    for (const auto& c : cases) {
        if (c.real_exists) {
            ASSERT_TRUE(ReplaceFileContents(c.real, kOld)) << c.what;
        }
        ASSERT_EQ(symlink(c.points_to.c_str(), c.link.c_str()), 0) << c.what;
        const std::string mine = std::string(c.what) + " contents";
        EXPECT_TRUE(ReplaceFileContents(c.link, mine)) << c.what;
        EXPECT_TRUE(IsLink(c.link)) << c.what;
        EXPECT_EQ(Read(c.real), mine) << c.what;
    }
    EXPECT_EQ(Names(In("real")), (std::vector<std::string>{"abs-real.ics", "new-real.ics", "real.ics"}));

    // A loop of links is refused, and nothing is made.
    ASSERT_EQ(symlink("loop2", In("loop1").c_str()), 0);
    ASSERT_EQ(symlink("loop1", In("loop2").c_str()), 0);
    const auto before = Names();
    EXPECT_EQ(ReplaceFileContents(In("loop1"), kNew).error, ReplaceError::kNotAFile);
    EXPECT_EQ(Names(), before);
}

// The replacement is the same file to the user: a private file stays private, a shared one shared;
// a new file gets the mode any new file gets.
TEST_F(FilesTest, PermissionsAreKept) {
    for (const mode_t mode : {0600, 0640, 0664, 0751}) {
        const std::string path = In("p" + std::to_string(mode));
        ASSERT_TRUE(ReplaceFileContents(path, kOld));
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        EXPECT_TRUE(ReplaceFileContents(path, kNew)) << std::oct << mode;
        EXPECT_EQ(ModeOf(path), mode) << std::oct << mode;
        EXPECT_EQ(Read(path), kNew);
    }
    for (const mode_t mask : {022, 077, 002}) {
        const mode_t old_mask = umask(mask);
        const std::string path = In("new" + std::to_string(mask));
        EXPECT_TRUE(ReplaceFileContents(path, kOld));
        umask(old_mask);
        EXPECT_EQ(ModeOf(path), 0666 & ~mask) << std::oct << mask;
    }
}

// Names in the folder that the program did not make are never written: the user's own NAME.tmp, and
// a NAME.tmp that is a symlink planted to make us write elsewhere.
TEST_F(FilesTest, NeverWritesThroughNamesItDidNotChoose) {
    const std::string path = In("lyric.lrc");
    ASSERT_TRUE(ReplaceFileContents(path, kOld));
    ASSERT_TRUE(ReplaceFileContents(In("lyric.lrc.tmp"), "the user's own notes"));
    ASSERT_TRUE(ReplaceFileContents(In("victim"), "someone else's file"));
    ASSERT_EQ(symlink("victim", In(".lyric.lrc.tmp").c_str()), 0);
    ASSERT_EQ(symlink("victim", In("lyric.tmp").c_str()), 0);
    const auto before = Names();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(ReplaceFileContents(path, kNew + std::to_string(i)));
    EXPECT_EQ(Read(path), kNew + "19");
    EXPECT_EQ(Read(In("lyric.lrc.tmp")), "the user's own notes");
    EXPECT_EQ(Read(In("victim")), "someone else's file");
    EXPECT_EQ(Names(), before);
}

// What is no regular file: a pipe is written to directly (as a shell's redirection would), a socket
// is refused; a file that grants writing to nobody is refused even to root.
TEST_F(FilesTest, PipesReadOnlyFilesAndSockets) {
    const std::string fifo = In("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        const int fd = open(fifo.c_str(), O_RDONLY);
        char buffer[65536];
        for (ssize_t n; fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0;) received.append(buffer, n);
        if (fd >= 0) close(fd);
    });
    const platform::ReplaceResult piped = ReplaceFileContents(fifo, kNew);
    reader.join();
    EXPECT_TRUE(piped);
    EXPECT_TRUE(piped.in_place);
    EXPECT_EQ(received, kNew);

    // A pipe whose reader leaves early fails the write; the program is not killed by SIGPIPE.
    std::thread quitter([&] {
        const int fd = open(fifo.c_str(), O_RDONLY);
        char buffer[10];
        if (fd >= 0 && read(fd, buffer, sizeof buffer) > 0) close(fd);
    });
    const platform::ReplaceResult broken = ReplaceFileFrom(fifo, [](const platform::FileSink& write) {
        for (int i = 0; i < 10000; ++i)
            if (!write(std::string(4096, 'x'))) return false;
        return true;
    });
    quitter.join();
    EXPECT_EQ(broken.error, ReplaceError::kWriteFailed);

    const std::string locked = In("locked.lrc");
    ASSERT_TRUE(ReplaceFileContents(locked, kOld));
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    const auto before = Names();
    EXPECT_EQ(ReplaceFileContents(locked, kNew).error, ReplaceError::kReadOnly);
    EXPECT_EQ(Read(locked), kOld);
    EXPECT_EQ(ModeOf(locked), 0444u);
    EXPECT_EQ(Names(), before);

    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = In("socket");
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_path.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(ReplaceFileContents(socket_path, kNew).error, ReplaceError::kNotAFile);
    close(sock);
    EXPECT_EQ(Names(), (std::vector<std::string>{"locked.lrc", "pipe", "socket"}));
}

// A write that fails partway (here: the file-size limit, standing in for a full disk) leaves the old
// file and no temporary.
TEST_F(FilesTest, WriteFailureLeavesTheOldFile) {
    const std::string path = In("big.ics");
    ASSERT_TRUE(ReplaceFileContents(path, kOld));
    const auto before = Names();
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    auto* old_handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const platform::ReplaceResult result = ReplaceFileContents(path, kNew);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result.error, ReplaceError::kWriteFailed);
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(Names(), before);
}

#else  // Windows

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

// Windows marks a file read-only by an attribute: such a file is refused and keeps its mark; other
// attributes survive a replacement; a file another program holds open without sharing stays as it
// is.
TEST_F(FilesTest, WindowsAttributesReadOnlyAndLockedFiles) {
    const std::string locked = In("locked.lrc");
    ASSERT_TRUE(ReplaceFileContents(locked, kOld));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    auto before = Names();
    EXPECT_EQ(ReplaceFileContents(locked, kNew).error, ReplaceError::kReadOnly);
    EXPECT_EQ(Read(locked), kOld);
    EXPECT_TRUE(AttributesOf(locked) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Names(), before);

    const std::string hidden = In("hidden.lrc");
    ASSERT_TRUE(ReplaceFileContents(hidden, kOld));
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(ReplaceFileContents(hidden, kNew));
    EXPECT_EQ(Read(hidden), kNew);
    EXPECT_EQ(AttributesOf(hidden) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), DWORD{FILE_ATTRIBUTE_HIDDEN});

    const std::string open = In("open.lrc");
    ASSERT_TRUE(ReplaceFileContents(open, kOld));
    HANDLE holder = CreateFileA(open.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    before = Names();
    const platform::ReplaceResult result = ReplaceFileContents(open, kNew);
    CloseHandle(holder);
    EXPECT_EQ(result.error, ReplaceError::kInUse);
    EXPECT_EQ(Read(open), kOld);
    EXPECT_EQ(Names(), before);

    // A name the user made beside it is never touched.
    ASSERT_TRUE(ReplaceFileContents(In("open.lrc.tmp"), "the user's own notes"));
    EXPECT_TRUE(ReplaceFileContents(open, kNew));
    EXPECT_EQ(Read(In("open.lrc.tmp")), "the user's own notes");
    EXPECT_EQ(Names(), (std::vector<std::string>{"hidden.lrc", "locked.lrc", "open.lrc", "open.lrc.tmp"}));
}

#endif

TEST_F(FilesTest, LyricFilesReadAndWritten) {
    const std::string song = In("song.mp3"), lrc = In("song.lrc");
    EXPECT_FALSE(music::LoadLyricFile(song, "", Exists, 60000).loaded);
    ASSERT_TRUE(ReplaceFileContents(lrc, "[ti:歌]\r\n[00:01.00]a\r\n[00:02.00]b"));
    EXPECT_FALSE(music::LoadLyricFile(song, "", Exists, 10000).loaded);

    music::Lyric lyric = music::LoadLyricFile(song, "", Exists, 60000);
    EXPECT_TRUE(lyric.loaded && lyric.path == lrc && music::LineCount(lyric) == 3);
    lyric.offset = -500;
    ASSERT_TRUE(music::SaveOffsetToFile(lyric));
    EXPECT_EQ(Read(lrc), "[offset:-500]\r\n[ti:歌]\r\n[00:01.00]a\r\n[00:02.00]b");

    ASSERT_TRUE(music::BakeOffset(lyric, 60000) && music::WriteLyricFile(lyric, 60000));
    EXPECT_EQ(Read(lrc), "[ti:歌]\r\n[ar:]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n[00:00.50]a\r\n[00:01.50]b\r\n");

    // A lyric file the user made read-only stays as it is, and the player can say why.
    const std::string before = Read(lrc);
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(lrc.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(lrc.c_str(), 0444), 0);
#endif
    lyric.offset = 700;
    const platform::ReplaceResult refused = music::SaveOffsetToFile(lyric);
    EXPECT_EQ(refused.error, ReplaceError::kReadOnly);
    EXPECT_EQ(music::WhyNotWritten(refused.error), "它是只读文件");
    EXPECT_EQ(music::WriteLyricFile(lyric, 60000).error, ReplaceError::kReadOnly);
    EXPECT_EQ(Read(lrc), before);

    lyric.path = In("missing/song.lrc");
    EXPECT_FALSE(music::WriteLyricFile(lyric, 60000));
    EXPECT_FALSE(music::SaveOffsetToFile(lyric));
    EXPECT_EQ(lyric.notice, "");
}

TEST_F(FilesTest, ALyricFileNotReadSaysWhy) {
    // One byte within the limit is read; one byte over it is not, and the lyric says so.
    const std::string song = In("big.mp3"), lrc = In("big.lrc");
    const std::string line = "[00:01.00]a\r\n";
    std::string text(music::kMaxLyricFileBytes - line.size(), ' ');
    ASSERT_TRUE(ReplaceFileContents(lrc, line + text));
    music::Lyric lyric = music::LoadLyricFile(song, "", Exists, 60000);
    EXPECT_TRUE(lyric.loaded);
    EXPECT_EQ(lyric.notice, "");
    ASSERT_TRUE(ReplaceFileContents(lrc, line + text + " "));
    lyric = music::LoadLyricFile(song, "", Exists, 60000);
    EXPECT_FALSE(lyric.loaded);
    EXPECT_EQ(lyric.notice, "歌词文件超过1MB，没有读入：big.lrc");
    // A song too short for lyrics has no notice either: it takes none.
    EXPECT_EQ(music::LoadLyricFile(song, "", Exists, 9000).notice, "");
    std::string contents;
    bool too_large = false;
    EXPECT_FALSE(platform::ReadWholeFile(lrc, contents, music::kMaxLyricFileBytes, &too_large));
    EXPECT_TRUE(too_large);
    EXPECT_FALSE(platform::ReadWholeFile(In("none.lrc"), contents, 10, &too_large));
    EXPECT_FALSE(too_large);
    EXPECT_EQ(music::UnreadLyricNotice("C:\\歌\\癧.lrc", false), "歌词文件无法读出：癧.lrc");
}

}  // namespace
