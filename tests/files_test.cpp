// Whole files read and replaced (platform/files.h), and the lyric files written through them: a
// replacement leaves exactly the new contents in the file the user meant (through a symlink, with
// its permissions), never writes where it was not asked to, refuses what must not be replaced, and
// leaves the old file as it was and nothing behind when it fails. Every test of a replacement runs
// twice: with unnamed temporaries where the system has them, and with named ones, as on file
// systems without them.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <future>
#include <initializer_list>
#include <stdexcept>
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
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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

// A fresh folder in the working folder, removed with all it holds; the parameter says whether
// unnamed temporaries may be used.
class FilesTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        platform::UseUnnamedTemporaries(GetParam());
        ASSERT_TRUE(MakeFolder(folder_));
    }
    void TearDown() override {
        RemoveTree(folder_);
        platform::UseUnnamedTemporaries(true);
    }
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

TEST_P(FilesTest, ReplacementLeavesExactlyTheNewContents) {
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
TEST_P(FilesTest, FailedReplacementLeavesTheOldFileAndNothingElse) {
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

// A producer that throws (out of memory, a bug) leaves the old file and no temporary either.
TEST_P(FilesTest, AnExceptionOutOfTheProducerLeavesNoTemporary) {
    const std::string path = In("a.txt");
    ASSERT_TRUE(ReplaceFileContents(path, kOld));
    const std::vector<std::string> before = Names();
    std::vector<std::string> during;
    EXPECT_THROW(ReplaceFileFrom(path,
                                 [&](const platform::FileSink& write) -> bool {
                                     write(kNew);
                                     during = Names();
                                     throw std::runtime_error("the producer failed");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(Names(), before);
    // Named temporaries (always under Windows) showed while the contents were written; so the
    // test saw the case it is about.
    if (!GetParam()) {
        EXPECT_EQ(during.size(), before.size() + 1);
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
TEST_P(FilesTest, SymlinksAreWrittenThrough) {
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

// In a folder that is sticky and writable by all (/tmp), a link is followed only when it is ours or
// the folder owner's, as the kernel's fs.protected_symlinks has it, whatever the kernel is set to:
// anyone may plant a link there. The rule holds for every link on the way: a link to a folder as
// well as a link to the file. Run as root, the only one who can give a link away.
TEST_P(FilesTest, LinksOthersPlantedInSharedFoldersAreNotFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to give links to another user";
    const uid_t nobody = 65534;
    const std::string victim = In("victim");
    ASSERT_TRUE(ReplaceFileContents(victim, "root's own file"));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string victim_path = std::string(cwd) + "/" + victim, folder_path = std::string(cwd) + "/" + folder_;
    const struct {
        const char* what;
        mode_t folder_mode;
        uid_t folder_owner, link_owner;
        bool to_folder;  // the link is `dl`, to the victim's folder, and dl/victim is written
        bool followed;
    } cases[] = {
        {"another user's link in a shared folder of root's", 01777, 0, nobody, false, false},
        {"our own link there", 01777, 0, 0, false, true},
        {"the folder owner's link in their shared folder", 01777, nobody, nobody, false, true},
        {"another user's link in a folder that is not sticky", 0777, 0, nobody, false, true},
        {"another user's link in a sticky folder only its group may write", 01775, 0, nobody, false, true},
        {"another user's link to a folder, on the way", 01777, 0, nobody, true, false},
        {"the folder owner's link to a folder in their shared folder", 01777, nobody, nobody, true, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string shared = In("shared" + std::to_string(++n));
        ASSERT_TRUE(MakeFolder(shared));
        ASSERT_EQ(chmod(shared.c_str(), c.folder_mode), 0);
        ASSERT_EQ(chown(shared.c_str(), c.folder_owner, 0), 0);
        const std::string link = shared + (c.to_folder ? "/dl" : "/cal.ics");
        ASSERT_EQ(symlink((c.to_folder ? folder_path : victim_path).c_str(), link.c_str()), 0);
        ASSERT_EQ(lchown(link.c_str(), c.link_owner, 0), 0);
        ASSERT_TRUE(ReplaceFileContents(victim, "root's own file"));
        const platform::ReplaceResult result =
            ReplaceFileContents(c.to_folder ? link + "/victim" : link, "what the link's owner chose");
        EXPECT_EQ(static_cast<bool>(result), c.followed) << c.what;
        EXPECT_EQ(result.error, c.followed ? ReplaceError::kNone : ReplaceError::kForeignLink) << c.what;
        EXPECT_EQ(Read(victim), c.followed ? "what the link's owner chose" : "root's own file") << c.what;
        EXPECT_TRUE(IsLink(link)) << c.what;
        EXPECT_EQ(Names(shared), std::vector<std::string>{c.to_folder ? "dl" : "cal.ics"}) << c.what;
    }
    // A link of ours that leads to such a link is refused too: every link on the way is looked at.
    ASSERT_TRUE(ReplaceFileContents(victim, "root's own file"));
    ASSERT_EQ(symlink((std::string(cwd) + "/" + In("shared1/cal.ics")).c_str(), In("mine.ics").c_str()), 0);
    EXPECT_EQ(ReplaceFileContents(In("mine.ics"), "x").error, ReplaceError::kForeignLink);
    EXPECT_EQ(Read(victim), "root's own file");
}

// What is checked is what is written: another user who keeps turning a name in a shared folder
// into a link (to a pipe root reads, to a file of root's) and back while root writes that name
// thousands of times, for seconds, never gets a byte written through the link, and never makes a
// write fail halfway. Run as root, like the test above.
TEST_P(FilesTest, ALinkMadeDuringTheWriteIsNeverFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to race another user";
    const uid_t nobody = 65534;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string shared = In("s"), target = In("s/x.ics");
    const std::string fifo = std::string(cwd) + "/" + In("pipe"), victim = std::string(cwd) + "/" + In("victim");
    ASSERT_TRUE(MakeFolder(shared));
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    ASSERT_TRUE(ReplaceFileContents(victim, "root's own file"));
    // Held open for reading all the while, so that a write into the pipe would not wait for a reader.
    const int pipe_reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(pipe_reader, 0);
    std::fflush(stdout);
    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        if (chdir(shared.c_str()) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(1);
        // The name flips between a file of theirs and a fresh link, each flip one atomic exchange,
        // so a write finds it both ways and it turns into a link as often as can be; where the file
        // system cannot exchange names, it is made and removed as a link.
        const int file = open("x.ics", O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (file >= 0) close(file);
        for (unsigned i = 0;; ++i) {
            char spare[16];  // a name left behind that is not theirs to remove only costs its name
            std::snprintf(spare, sizeof spare, "l%u", i % 64);
            if (symlink(i % 4 ? fifo.c_str() : victim.c_str(), spare) != 0) continue;
            if (renameat2(AT_FDCWD, spare, AT_FDCWD, "x.ics", RENAME_EXCHANGE) == 0)
                renameat2(AT_FDCWD, spare, AT_FDCWD, "x.ics", RENAME_EXCHANGE);
            else if (rename(spare, "x.ics") == 0)
                unlink("x.ics");
            unlink(spare);
        }
    }
    const auto start = std::chrono::steady_clock::now();
    int tries = 0, written = 0, refused = 0;
    std::string fault;
    for (; fault.empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(3); ++tries) {
        const platform::ReplaceResult result = ReplaceFileContents(target, "calendar " + std::to_string(tries));
        if (result.error != ReplaceError::kNone && result.error != ReplaceError::kForeignLink)
            fault = "a write failed: " + platform::ReplaceResultText(result);
        (result ? written : refused)++;
        char buffer[256];
        const ssize_t n = read(pipe_reader, buffer, sizeof buffer);
        if (n > 0) fault = "the pipe received \"" + std::string(buffer, static_cast<std::size_t>(n)) + "\"";
        // Our own file, when the write made one, is ours to remove: the other user may not.
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0) unlink(target.c_str());
    }
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
    close(pipe_reader);
    EXPECT_EQ(fault, "") << "after " << tries << " writes";
    EXPECT_EQ(Read(victim), "root's own file");
    // Both ways were taken: the name was found a file and written, and found a link and refused.
    EXPECT_GT(written, 0);
    EXPECT_GT(refused, 0);
    for (const std::string& name : Names(shared)) EXPECT_NE(name.substr(0, 7), ".x.ics.") << "a temporary left";
}

// Extended attributes survive a replacement, and with them a POSIX ACL (the access ACL is the
// extended attribute system.posix_acl_access: version 2, then tag, permissions and id of each entry).
TEST_P(FilesTest, ExtendedAttributesAndTheAclSurvive) {
    const std::string path = In("shared.ics");
    ASSERT_TRUE(ReplaceFileContents(path, kOld));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    if (setxattr(path.c_str(), "user.tempoline.note", "kept", 4, 0) != 0)
        GTEST_SKIP() << "the file system keeps no user attributes here";
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    const Entry entries[] = {{0x01, 6, 0xFFFFFFFF},  // the owner: rw
                             {0x02, 4, 65534},       // user nobody: r
                             {0x04, 4, 0xFFFFFFFF},  // the group: r
                             {0x10, 4, 0xFFFFFFFF},  // the mask: r
                             {0x20, 0, 0xFFFFFFFF}}; // others: nothing
    std::string acl("\x02\0\0\0", 4);
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    const bool has_acl = setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    ASSERT_TRUE(ReplaceFileContents(path, kNew));
    EXPECT_EQ(Read(path), kNew);
    char value[256];
    ssize_t n = getxattr(path.c_str(), "user.tempoline.note", value, sizeof value);
    EXPECT_EQ(std::string(value, n > 0 ? n : 0), "kept");
    if (has_acl) {
        n = getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
        EXPECT_EQ(std::string(value, n > 0 ? n : 0), acl);
    }
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(Names(), std::vector<std::string>{"shared.ics"});
}

// A folder's default ACL is for new files: a replacement is readable by exactly whom the old file
// was, by its mode alone when it had no ACL (the new file's inherited ACL is not kept), by its own
// ACL when it had one.
TEST_P(FilesTest, AFoldersDefaultAclDoesNotWidenAReplacement) {
    struct Entry {
        std::uint16_t tag, permissions;
        std::uint32_t id;
    };
    auto acl = [](std::initializer_list<Entry> entries) {
        std::string value("\x02\0\0\0", 4);
        for (const Entry& e : entries) value.append(reinterpret_cast<const char*>(&e), sizeof e);
        return value;
    };
    const std::uint32_t none = 0xFFFFFFFF;
    const std::string team = In("team");
    ASSERT_TRUE(MakeFolder(team));
    // New files in the folder: user nobody may read and write them.
    const std::string inherited = acl({{0x01, 7, none}, {0x02, 6, 65534}, {0x04, 5, none}, {0x10, 7, none}, {0x20, 0, none}});
    if (setxattr(team.c_str(), "system.posix_acl_default", inherited.data(), inherited.size(), 0) != 0)
        GTEST_SKIP() << "the file system keeps no POSIX ACLs here";
    const struct {
        const char* what;
        std::string own_acl;  // empty: none, the mode alone
    } cases[] = {
        {"a 640 file without an ACL", ""},
        {"a 640 file whose ACL lets user 1000 read it",
         acl({{0x01, 6, none}, {0x02, 4, 1000}, {0x04, 4, none}, {0x10, 4, none}, {0x20, 0, none}})},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = team + "/f" + std::to_string(++n);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
        removexattr(path.c_str(), "system.posix_acl_access");  // what the folder's default gave it
        ASSERT_EQ(chmod(path.c_str(), 0640), 0) << c.what;
        if (!c.own_acl.empty()) {
            ASSERT_EQ(setxattr(path.c_str(), "system.posix_acl_access", c.own_acl.data(), c.own_acl.size(), 0), 0);
        }
        ASSERT_TRUE(ReplaceFileContents(path, kNew)) << c.what;
        char value[256];
        const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
        EXPECT_EQ(size < 0 ? std::string() : std::string(value, static_cast<std::size_t>(size)), c.own_acl) << c.what;
        EXPECT_EQ(ModeOf(path), 0640u) << c.what;
        EXPECT_EQ(Read(path), kNew) << c.what;
    }
}

// The replacement is the same file to the user: a private file stays private, a shared one shared;
// a new file gets the mode any new file gets.
TEST_P(FilesTest, PermissionsAreKept) {
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
TEST_P(FilesTest, NeverWritesThroughNamesItDidNotChoose) {
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

// A pipe's reader with a deadline: opened without waiting for a writer, it reads what comes for at
// most `seconds` (or `limit` bytes), so a replacement that never opens the pipe fails the test
// instead of holding its reader for ever.
std::string ReadPipe(const std::string& fifo, int seconds, std::size_t limit = std::string::npos) {
    std::string received;
    const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return "(cannot open)";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[65536];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, limit - received.size()));
        if (n < 0 && errno == EAGAIN) continue;
        if (n <= 0) break;  // the writer closed
        received.append(buffer, static_cast<std::size_t>(n));
        if (received.size() >= limit) break;
    }
    close(fd);
    return received;
}

// Runs `work` on a thread of its own and waits at most `seconds` for it: a replacement that hangs
// fails the test in seconds instead of holding it until CTest's limit (the thread cannot be
// stopped, so the test program ends).
template <typename Work>
auto Within(int seconds, Work work) -> decltype(work()) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
        ADD_FAILURE() << "still running after " << seconds << " s";
        std::fflush(stdout);
        std::_Exit(1);
    }
    return done.get();
}

// What is no regular file: a pipe is written to directly (as a shell's redirection would), a socket
// is refused; a file that grants writing to nobody is refused even to root.
TEST_P(FilesTest, PipesReadOnlyFilesAndSockets) {
    const std::string fifo = In("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadPipe(fifo, 5); });
    const platform::ReplaceResult piped = Within(10, [&] { return ReplaceFileContents(fifo, kNew); });
    reader.join();
    EXPECT_TRUE(piped);
    EXPECT_TRUE(piped.in_place);
    EXPECT_EQ(received, kNew);

    // A pipe whose reader leaves early fails the write; the program is not killed by SIGPIPE.
    std::thread quitter([&] { ReadPipe(fifo, 5, 10); });
    const platform::ReplaceResult broken = Within(10, [&] {
        return ReplaceFileFrom(fifo, [](const platform::FileSink& write) {
            for (int i = 0; i < 10000; ++i)
                if (!write(std::string(4096, 'x'))) return false;
            return true;
        });
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
// file and no temporary, and says the system's reason. The limit is set in a child process whose
// SIGXFSZ is as a program gets it, ending the program: the write must hold it back and just fail.
TEST_P(FilesTest, WriteFailureLeavesTheOldFileAndSaysWhy) {
    const std::string path = In("big.ics");
    ASSERT_TRUE(ReplaceFileContents(path, kOld));
    const auto before = Names();
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    std::fflush(stdout);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        signal(SIGXFSZ, SIG_DFL);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 4096;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(1);
        const platform::ReplaceResult result = ReplaceFileContents(path, kNew);
        const std::string said = std::to_string(static_cast<int>(result.error)) + " " + platform::ReplaceResultText(result);
        _exit(write(report[1], said.data(), said.size()) == static_cast<ssize_t>(said.size()) ? 0 : 1);
    }
    close(report[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(said, std::to_string(static_cast<int>(ReplaceError::kWriteFailed)) + " writing failed: File too large");
    EXPECT_EQ(Read(path), kOld);
    EXPECT_EQ(Names(), before);
}

#else  // Windows

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

// Windows marks a file read-only by an attribute: such a file is refused and keeps its mark; other
// attributes survive a replacement; a file another program holds open without sharing stays as it
// is.
TEST_P(FilesTest, WindowsAttributesReadOnlyAndLockedFiles) {
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

TEST_P(FilesTest, LyricFilesReadAndWritten) {
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

TEST_P(FilesTest, ALyricFileNotReadSaysWhy) {
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
    EXPECT_FALSE(platform::ReadWholeFile(lrc, contents, music::kMaxLyricFileBytes, platform::FileKind::kAny, &too_large));
    EXPECT_TRUE(too_large);
    EXPECT_FALSE(platform::ReadWholeFile(In("none.lrc"), contents, 10, platform::FileKind::kAny, &too_large));
    EXPECT_FALSE(too_large);
    EXPECT_EQ(music::UnreadLyricNotice("C:\\歌\\癧.lrc", false), "歌词文件无法读出：癧.lrc");
}

INSTANTIATE_TEST_SUITE_P(Temporaries, FilesTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Unnamed" : "Named"; });

}  // namespace
