// The Windows registry as the program uses it: text values (REG_SZ) under two roots, read, written
// and deleted one at a time. The store keeps every setting there (settings/settings.h).
//
// The interface is small so that the settings logic runs natively against MemoryRegistry; the real
// registry (platform/registry_win32.cpp) exists only in the Windows build. Names, key paths and
// values are GBK text, like all text inside the program; the Windows implementation converts them to
// UTF-16 at the API.
//
// Key paths separate their components with "\"; an empty value name means the key's default value.
// Key and value names compare without regard to the case of ASCII letters, as Windows compares them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class RegistryRoot {
    CurrentUser,   // HKEY_CURRENT_USER
    LocalMachine,  // HKEY_LOCAL_MACHINE: writing usually needs administrator rights
};

// The types of value the program meets (the REG_* codes of the Windows API). A value of any other
// code keeps it.
constexpr std::uint32_t RegistryString = 1;        // REG_SZ
constexpr std::uint32_t RegistryExpandString = 2;  // REG_EXPAND_SZ: text naming variables like %TEMP%
constexpr std::uint32_t RegistryBinary = 3;        // REG_BINARY
constexpr std::uint32_t RegistryNumber = 4;        // REG_DWORD
constexpr std::uint32_t RegistryMultiString = 7;   // REG_MULTI_SZ

// A value as far as the program can hold it: code that rewrites values written by others (the
// personal days) must leave alone what it cannot hold exactly.
struct RegistryValueText {
    bool exists = false;     // a value of that name is stored
    std::uint32_t type = 0;  // its type, when it exists
    // The value is text the program holds exactly: a string (REG_SZ or REG_EXPAND_SZ) with no NUL
    // before its end (its terminators aside) and no character that GBK lacks.
    bool exact = false;
    std::string text;  // when exact: the whole value in GBK, however long
};

// One registry. Failures are answered in-band: a read gives the empty text, a change gives false.
class Registry {
public:
    virtual ~Registry() = default;

    // The text of a string value of an existing key ("" for the default value); "" when the key or
    // the value is missing, the value is no text, or anything else fails.
    virtual std::string ReadValue(RegistryRoot root, const std::string& subkey, const std::string& name) const = 0;
    // What a value is: whether it exists, its type, and its whole text when the program can hold it
    // exactly. Nothing is converted with a loss or cut.
    virtual RegistryValueText ReadValueText(RegistryRoot root, const std::string& subkey,
                                            const std::string& name) const = 0;
    // Creates the key (and any missing keys above it) when needed and sets the value as REG_SZ.
    virtual bool SetValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                          const std::string& value) = 0;
    // Deletes one value; false when the key or the value is missing or the key cannot be changed.
    virtual bool DeleteValue(RegistryRoot root, const std::string& subkey, const std::string& name) = 0;
    // Deletes a key with its values; false when it is missing, still has subkeys, or cannot be
    // deleted. The root itself (an empty subkey) is never deleted.
    virtual bool DeleteKey(RegistryRoot root, const std::string& subkey) = 0;
};

// The registry of the machine the program runs on. Defined only in the Windows build.
std::unique_ptr<Registry> MakeSystemRegistry();

// --- the store's operations ------------------------------------------------------------------------

// Key paths and value names longer than this are refused (the store's buffers are MAX_PATH bytes).
constexpr std::size_t MaxRegistryNameBytes = 260;
// A value travels through a 1024-byte buffer that includes its terminating NUL, so at most 1023
// bytes of text are read or written.
constexpr std::size_t MaxRegistryValueBytes = 1023;

// The value's text up to its first NUL and at most MaxRegistryValueBytes long (cut before a GBK
// double-byte character that would not fit whole); "" on any failure or for an over-long name.
std::string ReadRegistryString(const Registry& registry, RegistryRoot root, const std::string& subkey,
                               const std::string& name);
// Writes the value, cut like a read to MaxRegistryValueBytes. A value of "" or "0" is not written:
// the value is deleted instead, so that a cleared flag leaves nothing behind. Returns whether the
// write (or that deletion) succeeded; an over-long key path or name fails.
bool WriteRegistryString(Registry& registry, RegistryRoot root, const std::string& subkey,
                         const std::string& name, const std::string& value);
// The value as it is stored (see RegistryValueText); nothing for an over-long key path or name.
RegistryValueText ReadRegistryValueText(const Registry& registry, RegistryRoot root, const std::string& subkey,
                                        const std::string& name);
bool DeleteRegistryValue(Registry& registry, RegistryRoot root, const std::string& subkey,
                         const std::string& name);
// Deletes a key that has no subkeys of its own.
bool DeleteRegistryKey(Registry& registry, RegistryRoot root, const std::string& subkey);

// --- an in-memory registry for tests ----------------------------------------------------------------

// One operation on a MemoryRegistry, as the tests inspect them.
struct RegistryOperation {
    enum class Kind { Read, SetValue, DeleteValue, DeleteKey };
    Kind kind = Kind::Read;
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string subkey;
    std::string name;   // empty for DeleteKey
    std::string value;  // the text written (SetValue) or read (Read)
    bool succeeded = false;
};

// A registry held in memory that behaves like the real one where the store depends on it: keys are
// created with the keys above them, deleting a key with subkeys fails, names ignore ASCII case,
// values have types, and a root can be made read-only (like HKEY_LOCAL_MACHINE for a user without
// administrator rights). It records every operation in order.
//
// Its values are held as the program reads them, in GBK. A string that another program stored with
// characters GBK lacks is held as the text the program would read for it (a "?" for each such
// character), marked as no exact GBK text.
class MemoryRegistry final : public Registry {
public:
    std::string ReadValue(RegistryRoot root, const std::string& subkey, const std::string& name) const override;
    RegistryValueText ReadValueText(RegistryRoot root, const std::string& subkey,
                                    const std::string& name) const override;
    bool SetValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                  const std::string& value) override;
    bool DeleteValue(RegistryRoot root, const std::string& subkey, const std::string& name) override;
    bool DeleteKey(RegistryRoot root, const std::string& subkey) override;

    // A read-only root refuses every change; reads still work.
    void SetWritable(RegistryRoot root, bool writable);

    // Stores a value as another program or a user with regedit may have left it: of any type, with
    // any bytes; `gbk_exact` false for a string with characters that GBK lacks (see above). Not
    // recorded.
    void SetStoredValue(RegistryRoot root, const std::string& subkey, const std::string& name, std::uint32_t type,
                        const std::string& data, bool gbk_exact = true);

    // Inspection, without recording.
    bool HasKey(RegistryRoot root, const std::string& subkey) const;
    bool HasValue(RegistryRoot root, const std::string& subkey, const std::string& name) const;
    // The stored text exactly as set (NULs and length included); "" when missing.
    std::string StoredValue(RegistryRoot root, const std::string& subkey, const std::string& name) const;
    // The names of a key's values as they were first set, in case-folded order.
    std::vector<std::string> ValueNames(RegistryRoot root, const std::string& subkey) const;
    // Every value of a key as stored, in case-folded order of the names.
    struct Stored {
        std::string name;  // as first set
        std::uint32_t type = RegistryString;
        std::string data;
        bool gbk_exact = true;
        friend bool operator==(const Stored&, const Stored&) = default;
    };
    std::vector<Stored> Values(RegistryRoot root, const std::string& subkey) const;
    // The number of keys below the roots (the roots themselves not counted).
    std::size_t KeyCount() const;

    const std::vector<RegistryOperation>& Operations() const { return operations_; }
    void ClearOperations() { operations_.clear(); }

private:
    struct Key {
        std::map<std::string, Stored> values;  // by case-folded name
    };
    using KeyId = std::pair<RegistryRoot, std::string>;  // root and case-folded path ("" is the root)

    const Key* FindKey(RegistryRoot root, const std::string& subkey) const;
    const Stored* FindValue(RegistryRoot root, const std::string& subkey, const std::string& name) const;
    Key* FindKey(RegistryRoot root, const std::string& subkey);
    bool Writable(RegistryRoot root) const;
    void Record(RegistryOperation::Kind kind, RegistryRoot root, const std::string& subkey,
                const std::string& name, const std::string& value, bool succeeded) const;

    std::map<KeyId, Key> keys_;
    bool current_user_writable_ = true;
    bool local_machine_writable_ = true;
    mutable std::vector<RegistryOperation> operations_;
};

}  // namespace platform
