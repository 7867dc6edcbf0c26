#include "platform/registry.h"

#include <algorithm>

#include "text/gbk.h"

namespace platform {

namespace {

using text::GbkPrefix;
using text::IsGbkLeadByte;
using text::UpperCaseAscii;

bool NameFits(const std::string& subkey, const std::string& name) {
    return subkey.size() <= MaxRegistryNameBytes && name.size() <= MaxRegistryNameBytes;
}

// A key path is a sequence of non-empty components separated by "\" (the second byte of a GBK
// character may be 0x5C and is no separator). The empty path is the root itself.
bool IsValidKeyPath(std::string_view path) {
    if (path.empty()) return true;
    bool component_empty = true;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '\\') {
            if (component_empty) return false;
            component_empty = true;
            continue;
        }
        component_empty = false;
        if (IsGbkLeadByte(path[i]) && i + 1 < path.size()) ++i;
    }
    return !component_empty;
}

// The paths of the keys above a key, outermost first ("A\B\C" gives "A", "A\B").
std::vector<std::string> ParentPaths(std::string_view path) {
    std::vector<std::string> parents;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '\\') {
            parents.emplace_back(path.substr(0, i));
        } else if (IsGbkLeadByte(path[i]) && i + 1 < path.size()) {
            ++i;
        }
    }
    return parents;
}

}  // namespace

// --- the store's operations ------------------------------------------------------------------------

std::string ReadRegistryString(const Registry& registry, RegistryRoot root, const std::string& subkey,
                               const std::string& name) {
    if (!NameFits(subkey, name)) return {};
    const std::string data = registry.ReadValue(root, subkey, name);
    std::string_view text = data;
    text = text.substr(0, text.find('\0'));
    return std::string(GbkPrefix(text, MaxRegistryValueBytes));
}

bool WriteRegistryString(Registry& registry, RegistryRoot root, const std::string& subkey,
                         const std::string& name, const std::string& value) {
    if (value.empty() || value == "0") return DeleteRegistryValue(registry, root, subkey, name);
    if (!NameFits(subkey, name)) return false;
    return registry.SetValue(root, subkey, name, std::string(GbkPrefix(value, MaxRegistryValueBytes)));
}

RegistryValueText ReadRegistryValueText(const Registry& registry, RegistryRoot root, const std::string& subkey,
                                        const std::string& name) {
    if (!NameFits(subkey, name)) return {};
    return registry.ReadValueText(root, subkey, name);
}

bool DeleteRegistryValue(Registry& registry, RegistryRoot root, const std::string& subkey,
                         const std::string& name) {
    if (!NameFits(subkey, name)) return false;
    return registry.DeleteValue(root, subkey, name);
}

bool DeleteRegistryKey(Registry& registry, RegistryRoot root, const std::string& subkey) {
    if (subkey.size() > MaxRegistryNameBytes) return false;
    return registry.DeleteKey(root, subkey);
}

// --- MemoryRegistry ----------------------------------------------------------------------------------

const MemoryRegistry::Key* MemoryRegistry::FindKey(RegistryRoot root, const std::string& subkey) const {
    if (!IsValidKeyPath(subkey)) return nullptr;
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    if (it != keys_.end()) return &it->second;
    static const Key empty_root;  // a root exists before anything is stored in it
    return subkey.empty() ? &empty_root : nullptr;
}

MemoryRegistry::Key* MemoryRegistry::FindKey(RegistryRoot root, const std::string& subkey) {
    if (!IsValidKeyPath(subkey)) return nullptr;
    if (subkey.empty()) return &keys_[{root, std::string()}];
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    return it == keys_.end() ? nullptr : &it->second;
}

bool MemoryRegistry::Writable(RegistryRoot root) const {
    return root == RegistryRoot::CurrentUser ? current_user_writable_ : local_machine_writable_;
}

void MemoryRegistry::Record(RegistryOperation::Kind kind, RegistryRoot root, const std::string& subkey,
                            const std::string& name, const std::string& value, bool succeeded) const {
    operations_.push_back({kind, root, subkey, name, value, succeeded});
}

const MemoryRegistry::Stored* MemoryRegistry::FindValue(RegistryRoot root, const std::string& subkey,
                                                         const std::string& name) const {
    const Key* key = FindKey(root, subkey);
    if (key == nullptr) return nullptr;
    const auto it = key->values.find(UpperCaseAscii(name));
    return it == key->values.end() ? nullptr : &it->second;
}

namespace {

bool IsStringType(std::uint32_t type) { return type == RegistryString || type == RegistryExpandString; }

}  // namespace

std::string MemoryRegistry::ReadValue(RegistryRoot root, const std::string& subkey, const std::string& name) const {
    std::string text;
    const Stored* stored = FindValue(root, subkey, name);
    const bool found = stored != nullptr && IsStringType(stored->type);  // the real registry reads no other type as text
    if (found) text = stored->data;
    Record(RegistryOperation::Kind::Read, root, subkey, name, text, found);
    return text;
}

RegistryValueText MemoryRegistry::ReadValueText(RegistryRoot root, const std::string& subkey,
                                                const std::string& name) const {
    RegistryValueText value;
    const Stored* stored = FindValue(root, subkey, name);
    if (stored != nullptr) {
        value.exists = true;
        value.type = stored->type;
        const std::string_view data = stored->data;
        const std::size_t end = std::min(data.find('\0'), data.size());
        const bool only_terminators = data.find_first_not_of('\0', end) == std::string_view::npos;
        value.exact = IsStringType(stored->type) && stored->gbk_exact && only_terminators;
        if (value.exact) value.text = std::string(data.substr(0, end));
    }
    Record(RegistryOperation::Kind::Read, root, subkey, name, value.text, value.exists);
    return value;
}

bool MemoryRegistry::SetValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                              const std::string& value) {
    const bool ok = Writable(root) && IsValidKeyPath(subkey);
    if (ok) {
        for (const std::string& parent : ParentPaths(subkey)) keys_[{root, UpperCaseAscii(parent)}];
        Key& key = keys_[{root, UpperCaseAscii(subkey)}];
        Stored& stored = key.values[UpperCaseAscii(name)];
        if (stored.name.empty()) stored.name = name;
        stored.type = RegistryString;
        stored.data = value;
        stored.gbk_exact = true;
    }
    Record(RegistryOperation::Kind::SetValue, root, subkey, name, value, ok);
    return ok;
}

bool MemoryRegistry::DeleteValue(RegistryRoot root, const std::string& subkey, const std::string& name) {
    bool ok = false;
    if (Writable(root)) {
        if (Key* key = FindKey(root, subkey)) ok = key->values.erase(UpperCaseAscii(name)) == 1;
    }
    Record(RegistryOperation::Kind::DeleteValue, root, subkey, name, {}, ok);
    return ok;
}

bool MemoryRegistry::DeleteKey(RegistryRoot root, const std::string& subkey) {
    bool ok = false;
    if (Writable(root) && !subkey.empty() && IsValidKeyPath(subkey)) {
        const std::string folded = UpperCaseAscii(subkey);
        const auto it = keys_.find({root, folded});
        if (it != keys_.end()) {
            // The keys of a root sort by their folded paths, so a subkey ("PATH\...") follows its key
            // closely: the first key after it that starts with "PATH\" decides.
            const auto next = keys_.lower_bound({root, folded + "\\"});
            const bool has_subkeys = next != keys_.end() && next->first.first == root &&
                                     next->first.second.compare(0, folded.size() + 1, folded + "\\") == 0;
            if (!has_subkeys) {
                keys_.erase(it);
                ok = true;
            }
        }
    }
    Record(RegistryOperation::Kind::DeleteKey, root, subkey, {}, {}, ok);
    return ok;
}

void MemoryRegistry::SetWritable(RegistryRoot root, bool writable) {
    (root == RegistryRoot::CurrentUser ? current_user_writable_ : local_machine_writable_) = writable;
}

void MemoryRegistry::SetStoredValue(RegistryRoot root, const std::string& subkey, const std::string& name,
                                    std::uint32_t type, const std::string& data, bool gbk_exact) {
    if (!IsValidKeyPath(subkey)) return;
    for (const std::string& parent : ParentPaths(subkey)) keys_[{root, UpperCaseAscii(parent)}];
    Stored& stored = keys_[{root, UpperCaseAscii(subkey)}].values[UpperCaseAscii(name)];
    if (stored.name.empty()) stored.name = name;
    stored.type = type;
    stored.data = data;
    stored.gbk_exact = gbk_exact;
}

bool MemoryRegistry::HasKey(RegistryRoot root, const std::string& subkey) const {
    return subkey.empty() || (IsValidKeyPath(subkey) && keys_.count({root, UpperCaseAscii(subkey)}) == 1);
}

bool MemoryRegistry::HasValue(RegistryRoot root, const std::string& subkey, const std::string& name) const {
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    return it != keys_.end() && it->second.values.count(UpperCaseAscii(name)) == 1;
}

std::string MemoryRegistry::StoredValue(RegistryRoot root, const std::string& subkey, const std::string& name) const {
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    if (it == keys_.end()) return {};
    const auto value = it->second.values.find(UpperCaseAscii(name));
    return value == it->second.values.end() ? std::string() : value->second.data;
}

std::vector<std::string> MemoryRegistry::ValueNames(RegistryRoot root, const std::string& subkey) const {
    std::vector<std::string> names;
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    if (it != keys_.end()) {
        for (const auto& [folded, stored] : it->second.values) names.push_back(stored.name);
    }
    return names;
}

std::vector<MemoryRegistry::Stored> MemoryRegistry::Values(RegistryRoot root, const std::string& subkey) const {
    std::vector<Stored> values;
    const auto it = keys_.find({root, UpperCaseAscii(subkey)});
    if (it != keys_.end()) {
        for (const auto& [folded, stored] : it->second.values) values.push_back(stored);
    }
    return values;
}

std::size_t MemoryRegistry::KeyCount() const {
    std::size_t count = 0;
    for (const auto& [id, key] : keys_) {
        if (!id.second.empty()) ++count;
    }
    return count;
}

}  // namespace platform
