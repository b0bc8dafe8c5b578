#include "data/Equipment.h"
#include "data/FileIO.h"
#include "sgeditor/SaveGame.h"
#include "tests/faults/Faults.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

// When set, giving a file an extended attribute fails, as on a file system
// that takes none or for a user who may not set it. This definition stands
// in for the C library's in the file layer linked into this test.
static bool AttributesRefused = false;
extern "C" int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) noexcept
{
    if (AttributesRefused) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsetxattr, fd, name, value, size, flags));
}

namespace {

// A POSIX ACL as the kernel keeps it in system.posix_acl_access: version 2,
// then (tag, permissions, id) entries in tag order.
std::string Acl(std::initializer_list<std::array<std::uint32_t, 3>> entries)
{
    std::string bytes{2, 0, 0, 0};
    for (const auto& [tag, perm, id] : entries)
        for (const auto& [value, width] : {std::pair{tag, 2}, std::pair{perm, 2}, std::pair{id, 4}})
            for (int i = 0; i < width; ++i)
                bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}
constexpr std::uint32_t UserObj = 1, User = 2, GroupObj = 4, Mask = 0x10, Other = 0x20, Nobody = 65534;
constexpr std::uint32_t NoId = 0xFFFFFFFF;

// The owner's own, a named user's and a mask wider than the group's own:
// a mode alone would give the group what only the named user may.
const std::string NamedUserAcl =
    Acl({{UserObj, 6, NoId}, {User, 6, Nobody}, {GroupObj, 4, NoId}, {Mask, 6, NoId}, {Other, 4, NoId}});

using Attributes = std::map<std::string, std::string>;

Attributes AttributesOf(const std::string& path)
{
    Attributes attributes;
    std::string names(listxattr(path.c_str(), nullptr, 0) + 1, '\0');
    names.resize(static_cast<std::size_t>(std::max<ssize_t>(0, listxattr(path.c_str(), names.data(), names.size()))));
    for (std::size_t pos = 0, end; (end = names.find('\0', pos)) != std::string::npos; pos = end + 1) {
        const std::string name = names.substr(pos, end - pos);
        std::string value(getxattr(path.c_str(), name.c_str(), nullptr, 0), '\0');
        value.resize(static_cast<std::size_t>(getxattr(path.c_str(), name.c_str(), value.data(), value.size())));
        attributes[name] = value;
    }
    return attributes;
}

bool Set(const std::string& path, const std::string& name, const std::string& value)
{
    return setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st;
}

// A replaced file keeps what the user set on it: its mode, ACL entries and
// other extended attributes; and a file that inherits an ACL from its
// directory where the old one had none gets none. Where an attribute cannot
// be given to a new file, the old one is written in place, keeping them.
TEST(KeptAttributesTest, ReplacedFilesKeepModeAclAndExtendedAttributes)
{
    const TempDir dir;
    const std::string path = dir / "GAME1.CSV";
    WriteBytes(path, "old");
    if (!Set(path, "user.dv2.test", "x") || !Set(path, "system.posix_acl_access", NamedUserAcl))
        GTEST_SKIP() << "the file system of " << dir.path() << " keeps no ACLs or user attributes";
    struct Case {
        const char* what;
        std::function<void()> apply;
        bool inPlace;
    };
    const Case cases[] = {
        {"mode 0640", [&] { chmod(path.c_str(), 0640); }, false},
        {"a user attribute", [&] { Set(path, "user.dv2.note", std::string("kept\0bytes", 10)); }, false},
        {"an ACL naming a user", [&] { Set(path, "system.posix_acl_access", NamedUserAcl); }, false},
        {"both, in a directory whose ACL new files inherit",
         [&] {
             Set(path, "user.dv2.note", "kept");
             Set(path, "system.posix_acl_access", NamedUserAcl);
             Set(dir.path(), "system.posix_acl_default",
                 Acl({{UserObj, 7, NoId}, {User, 7, 0}, {GroupObj, 7, NoId}, {Mask, 7, NoId}, {Other, 7, NoId}}));
         },
         false},
        {"none, in that directory", [] {}, false},
        {"attributes that a new file cannot take",
         [&] {
             Set(path, "user.dv2.note", "kept");
             AttributesRefused = true;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(path);
        WriteBytes(path, "old");
        chmod(path.c_str(), 0664);
        c.apply();
        const struct stat before = StatOf(path);
        const Attributes attributes = AttributesOf(path);
        ReplaceFile(path, "new bytes");
        AttributesRefused = false;
        const struct stat after = StatOf(path);
        EXPECT_EQ(ReadBytes(path), "new bytes");
        EXPECT_EQ(AttributesOf(path), attributes);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace);
        EXPECT_EQ(ContentsOf(dir.path()).size(), 1u);
    }
}

// A file without any write permission is the user's way to protect it:
// it is neither loaded for editing nor saved, by root either, who could
// write it.
TEST(KeptAttributesTest, ReadOnlyFilesAreRefusedToEveryUser)
{
    const TempDir dir;
    CopyDemo(dir.path());
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName, sav = dir / "SAVE/GAME1.CSV";
    LoadEquipment(eqp, txt);
    TSaveGame game;
    ASSERT_TRUE(game.LoadFromFile(sav));
    for (const std::string& path : {eqp, txt, sav})
        chmod(path.c_str(), 0444);
    const DirContents before = ContentsOf(dir.path());
    EXPECT_EQ(ErrorText([&] { SaveEquipment(eqp, txt); }), "File access denied");
    EXPECT_EQ(ErrorText([&] { game.SaveToFile(sav); }), "File access denied");
    EXPECT_EQ(ErrorText([&] { LoadEquipment(eqp, txt); }), "File access denied");
    EXPECT_EQ(ErrorText([&] { game.LoadFromFile(sav); }), "File access denied");
    EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
}

// A load or a save removes exactly what killed saves of its files left,
// and nothing that merely looks like it.
TEST(KeptAttributesTest, LoadsAndSavesRemoveOnlyTheirOwnLeftovers)
{
    const TempDir dir;
    const std::string eqp = dir / EquipFileName, txt = dir / NameFileName;
    const std::string leftovers[] = {".EQUIP97.EQP.dv2-new", ".EQUIP97.TXT.dv2-new", ".EQUIP97.EQP.dv2-old",
                                     ".EQUIP97.TXT.dv2-old", ".EQUIP97.EQP.dv2-journal"};
    const std::string lookalikes[] = {".EQUIP97.EQP.dv2-new.bak", "EQUIP97.EQP.dv2-old", ".EQUIP97.EQP.aB3xYz",
                                      ".GAME1.CSV.dv2-new", ".EQUIP97.TXT.dv2-journal~", "EQUIP97.EQP.dv2-journal"};
    for (const auto& [what, run] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"load", [&] { LoadEquipment(eqp, txt); }}, {"save", [&] { SaveEquipment(eqp, txt); }}}) {
        SCOPED_TRACE(what);
        CopyDemo(dir.path());
        const DirContents game = ContentsOf(dir.path());
        for (const std::string& name : leftovers)
            WriteBytes(dir / name, "dv2-journal, cut short");
        for (const std::string& name : lookalikes)
            WriteBytes(dir / name, "the user's");
        const DirContents before = ContentsOf(dir.path());
        run();
        DirContents expected = before;
        for (const std::string& name : leftovers)
            expected.erase(name);
        EXPECT_EQ(ChangedPaths(expected, ContentsOf(dir.path())), "");
        for (const std::string& name : lookalikes)
            fs::remove(dir / name);
        EXPECT_EQ(ChangedPaths(game, ContentsOf(dir.path())), "");
    }

    // A journal that came with the game, naming a file beyond the pair to
    // put back or to remove, is refused, and nothing changes.
    const std::string victim = dir / "victim";
    WriteBytes(victim, "the user's");
    WriteBytes(dir / ".victim.dv2-old", "another's");
    using namespace std::string_literals;
    WriteBytes(dir / ".EQUIP97.EQP.dv2-journal",
               "dv2 save journal\0N\0" "0\0"s + victim + "\0C\0" "0\0"s + victim + "\0end\0"s);
    const DirContents before = ContentsOf(dir.path());
    EXPECT_NE(ErrorText([&] { LoadEquipment(eqp, txt); }).find("names " + victim + ", which"), std::string::npos);
    EXPECT_NE(ErrorText([&] { SaveEquipment(eqp, txt); }).find("names " + victim + ", which"), std::string::npos);
    EXPECT_EQ(ChangedPaths(before, ContentsOf(dir.path())), "");
}

}  // namespace
