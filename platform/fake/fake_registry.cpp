#include "platform/fake/fake_registry.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace kvr::platform {

namespace {

constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kCreateLink = 0x0020;
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kWriteDac = 0x40000;
constexpr std::uint32_t kWriteOwner = 0x80000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kWriteBits =
    kSetValue | kCreateSubKey | kCreateLink | kDelete | kWriteDac | kWriteOwner;

bool isPredefined(HKey key) {
    return key >= reg::kClassesRoot && key <= reg::kDynData;
}

bool isStringType(std::uint32_t type) {
    return type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
}

// UTF-8 to UTF-16 the way MultiByteToWideChar does it: a byte that starts no valid sequence
// becomes U+FFFD, so sizes and comparisons agree with what the real adapter hands Windows.
std::u16string toUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            len = 1;
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        }
        bool valid = len != 0 && i + len <= text.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (valid && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) valid = false;
        if (!valid) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

// Wine compares registry names by lower-casing each UTF-16 unit (no special cases: dotless i,
// final sigma and sharp s stay themselves). This covers the scripts our users write in.
char16_t foldUnit(char16_t c) {
    auto between = [c](char16_t lo, char16_t hi) { return c >= lo && c <= hi; };
    if (between(u'A', u'Z')) return c + 0x20;
    if (c < 0x80) return c;
    if (between(0xC0, 0xDE) && c != 0xD7) return c + 0x20;
    if (c == 0x130) return u'i';
    if (c == 0x178) return 0xFF;
    if ((between(0x100, 0x12F) || between(0x132, 0x137) || between(0x14A, 0x177)) && c % 2 == 0)
        return c + 1;
    if ((between(0x139, 0x148) || between(0x179, 0x17E)) && c % 2 == 1) return c + 1;
    if (c == 0x386) return 0x3AC;
    if (between(0x388, 0x38A)) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (between(0x38E, 0x38F)) return c + 63;
    if (between(0x391, 0x3A1) || between(0x3A3, 0x3AB)) return c + 0x20;
    if (between(0x400, 0x40F)) return c + 0x50;
    if (between(0x410, 0x42F)) return c + 0x20;
    if ((between(0x460, 0x481) || between(0x48A, 0x4BF) || between(0x4D0, 0x52F)) && c % 2 == 0)
        return c + 1;
    if (c == 0x4C0) return 0x4CF;
    if (between(0x4C1, 0x4CE) && c % 2 == 1) return c + 1;
    if (between(0x531, 0x556)) return c + 0x30;
    if (between(0xFF21, 0xFF3A)) return c + 0x20;
    return c;
}

// The map key under which a name is stored: ordering these keys gives Wine's enumeration order.
std::u16string fold(std::string_view name) {
    std::u16string out = toUtf16(name);
    std::transform(out.begin(), out.end(), out.begin(), foldUnit);
    return out;
}

std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::uint32_t grantedAccess(std::uint32_t access, bool readOnly) {
    if (access & (kMaximumAllowed | kGenericAll)) access |= reg::kAllAccess;
    if (access & kGenericRead) access |= reg::kRead;
    if (access & kGenericWrite) access |= reg::kWrite;
    if (readOnly) access &= ~kWriteBits;
    return access;
}

std::uint32_t storedSize(const FakeRegistry::Value& value) {
    if (!isStringType(value.type)) return static_cast<std::uint32_t>(value.data.size());
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size());
    return static_cast<std::uint32_t>(toUtf16(text).size() * 2);
}

std::uint32_t units(const std::string& name) {
    return static_cast<std::uint32_t>(toUtf16(name).size());
}

}  // namespace

struct FakeRegistry::Node {
    std::string name;
    Node* parent = nullptr;
    bool deleted = false;
    std::map<std::u16string, NodePtr> children;
    std::map<std::u16string, Value> values;
};

FakeRegistry::FakeRegistry() {
    for (HKey key = reg::kClassesRoot; key <= reg::kDynData; ++key) {
        if (key != reg::kPerformanceData) roots_[key] = std::make_shared<Node>();
    }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::NodePtr FakeRegistry::root(HKey key) const {
    auto it = roots_.find(key);
    return it == roots_.end() ? nullptr : it->second;
}

ErrorCode FakeRegistry::resolve(HKey key, std::uint32_t needed, NodePtr& node) const {
    if (NodePtr r = root(key)) {
        node = r;
        return err::kSuccess;
    }
    auto it = handles_.find(key);
    if (it == handles_.end()) return err::kInvalidHandle;
    if (it->second.node->deleted) return err::kKeyDeleted;
    if ((it->second.access & needed) != needed) return err::kAccessDenied;
    node = it->second.node;
    return err::kSuccess;
}

FakeRegistry::NodePtr FakeRegistry::find(const NodePtr& from, const std::string& path) const {
    NodePtr node = from;
    for (const std::string& part : components(path)) {
        auto it = node->children.find(fold(part));
        if (it == node->children.end()) return nullptr;
        node = it->second;
    }
    return node;
}

void FakeRegistry::setReadOnly(HKey key, bool readOnly) {
    const Node* node = root(key).get();
    if (!node) return;
    std::erase(readOnlyRoots_, node);
    if (readOnly) readOnlyRoots_.push_back(node);
}

bool FakeRegistry::readOnlyAt(const Node& node) const {
    if (readOnly_) return true;
    const Node* top = &node;
    while (top->parent) top = top->parent;
    return std::find(readOnlyRoots_.begin(), readOnlyRoots_.end(), top) != readOnlyRoots_.end();
}

HKey FakeRegistry::allocate(const NodePtr& node, std::uint32_t access) {
    // Never reused, so a stale handle fails loudly instead of reaching another key.
    const HKey key = nextHandle_;
    nextHandle_ += 4;
    handles_[key] = Handle{node, access};
    return key;
}

namespace {
// Windows accepts one leading backslash below HKEY_CLASSES_ROOT and none elsewhere.
ErrorCode relativePath(HKey parent, const std::string& subKey, std::string& path) {
    path = subKey;
    if (parent == reg::kClassesRoot && !path.empty() && path.front() == '\\') path.erase(0, 1);
    if (!path.empty() && path.front() == '\\') return err::kBadPathname;
    return err::kSuccess;
}
}  // namespace

ErrorCode FakeRegistry::openKey(HKey parent, const std::string& subKey, std::uint32_t access,
                                HKey& result) {
    ++calls_;
    result = 0;
    if (parent == reg::kPerformanceData) {
        if (!subKey.empty()) return err::kInvalidHandle;
        result = parent;
        return err::kSuccess;
    }
    NodePtr from;
    if (ErrorCode rc = resolve(parent, 0, from)) return rc;
    std::string path;
    if (ErrorCode rc = relativePath(parent, subKey, path)) return rc;
    if (isPredefined(parent) && path.empty()) {
        result = parent;
        return err::kSuccess;
    }
    NodePtr node = find(from, path);
    if (!node) return err::kFileNotFound;
    std::uint32_t granted = grantedAccess(access, false);
    if (readOnlyAt(*node)) {
        // MAXIMUM_ALLOWED takes what the ACL grants; an explicit write right is refused.
        if (access & kMaximumAllowed)
            granted = grantedAccess(access, true);
        else if (granted & kWriteBits)
            return err::kAccessDenied;
    }
    result = allocate(node, granted);
    return err::kSuccess;
}

ErrorCode FakeRegistry::createKey(HKey parent, const std::string& subKey, HKey& result) {
    ++calls_;
    ++writeCalls_;
    result = 0;
    if (parent == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(parent, 0, node)) return rc;
    std::string path;
    if (ErrorCode rc = relativePath(parent, subKey, path)) return rc;
    for (const std::string& part : components(path)) {
        auto [it, inserted] = node->children.try_emplace(fold(part));
        if (inserted) {
            if (readOnlyAt(*node)) {
                node->children.erase(it);
                return err::kAccessDenied;
            }
            it->second = std::make_shared<Node>();
            it->second->name = part;
            it->second->parent = node.get();
        }
        node = it->second;
    }
    result = allocate(node, grantedAccess(kMaximumAllowed, readOnlyAt(*node)));
    return err::kSuccess;
}

ErrorCode FakeRegistry::closeKey(HKey key) {
    ++calls_;
    // Closing a predefined root, or anything in its range, is a harmless no-op on Windows.
    if (key >= reg::kClassesRoot) return err::kSuccess;
    return handles_.erase(key) ? err::kSuccess : err::kInvalidHandle;
}

ErrorCode FakeRegistry::queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                   std::vector<std::uint8_t>& data) {
    ++calls_;
    type = 0;
    data.clear();
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, reg::kQueryValue, node)) return rc;
    auto it = node->values.find(fold(name));
    if (it == node->values.end()) return err::kFileNotFound;
    type = it->second.type;
    data = it->second.data;
    return err::kSuccess;
}

ErrorCode FakeRegistry::setValue(HKey key, const std::string& name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data) {
    ++calls_;
    ++writeCalls_;
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, kSetValue, node)) return rc;
    if (readOnlyAt(*node)) return err::kAccessDenied;
    auto [it, inserted] = node->values.try_emplace(fold(name));
    if (inserted) it->second.name = name;
    it->second.type = type;
    it->second.data = data;
    return err::kSuccess;
}

ErrorCode FakeRegistry::deleteKey(HKey parent, const std::string& subKey) {
    ++calls_;
    ++writeCalls_;
    if (parent == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr from;
    if (ErrorCode rc = resolve(parent, 0, from)) return rc;
    std::string path;
    if (ErrorCode rc = relativePath(parent, subKey, path)) return rc;
    NodePtr node = find(from, path);
    if (!node) return err::kFileNotFound;
    if (readOnlyAt(*node) || !node->parent || !node->children.empty()) return err::kAccessDenied;
    node->deleted = true;
    node->parent->children.erase(fold(node->name));
    node->parent = nullptr;
    return err::kSuccess;
}

ErrorCode FakeRegistry::deleteValue(HKey key, const std::string& name) {
    ++calls_;
    ++writeCalls_;
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, kSetValue, node)) return rc;
    if (readOnlyAt(*node)) return err::kAccessDenied;
    return node->values.erase(fold(name)) ? err::kSuccess : err::kFileNotFound;
}

ErrorCode FakeRegistry::enumKey(HKey key, std::uint32_t index, std::string& name) {
    ++calls_;
    name.clear();
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, kEnumerateSubKeys, node)) return rc;
    if (index >= node->children.size()) return err::kNoMoreItems;
    name = std::next(node->children.begin(), index)->second->name;
    return err::kSuccess;
}

ErrorCode FakeRegistry::enumValue(HKey key, std::uint32_t index, std::string& name,
                                  std::uint32_t& type, std::vector<std::uint8_t>& data) {
    ++calls_;
    name.clear();
    type = 0;
    data.clear();
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, reg::kQueryValue, node)) return rc;
    if (index >= node->values.size()) return err::kNoMoreItems;
    const Value& value = std::next(node->values.begin(), index)->second;
    name = value.name;
    type = value.type;
    data = value.data;
    return err::kSuccess;
}

ErrorCode FakeRegistry::queryInfoKey(HKey key, KeyInfo& info) {
    ++calls_;
    info = KeyInfo{};
    if (key == reg::kPerformanceData) return err::kInvalidHandle;
    NodePtr node;
    if (ErrorCode rc = resolve(key, 0, node)) return rc;
    info.subKeys = static_cast<std::uint32_t>(node->children.size());
    info.values = static_cast<std::uint32_t>(node->values.size());
    for (const auto& [folded, child] : node->children)
        info.maxSubKeyLen = std::max(info.maxSubKeyLen, units(child->name));
    for (const auto& [folded, value] : node->values) {
        info.maxValueNameLen = std::max(info.maxValueNameLen, units(value.name));
        info.maxValueLen = std::max(info.maxValueLen, storedSize(value));
    }
    return err::kSuccess;
}

void FakeRegistry::putKey(HKey rootKey, const std::string& path) {
    NodePtr node = root(rootKey);
    if (!node) return;
    for (const std::string& part : components(path)) {
        NodePtr& child = node->children[fold(part)];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = part;
            child->parent = node.get();
        }
        node = child;
    }
}

void FakeRegistry::putValue(HKey rootKey, const std::string& path, const std::string& name,
                            std::uint32_t type, const std::vector<std::uint8_t>& data) {
    putKey(rootKey, path);
    NodePtr r = root(rootKey);
    if (!r) return;
    NodePtr node = find(r, path);
    auto [it, inserted] = node->values.try_emplace(fold(name));
    if (inserted) it->second.name = name;
    it->second.type = type;
    it->second.data = data;
}

void FakeRegistry::putText(HKey rootKey, const std::string& path, const std::string& name,
                           const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    putValue(rootKey, path, name, reg::kSz, data);
}

void FakeRegistry::putDword(HKey rootKey, const std::string& path, const std::string& name,
                            std::uint32_t number) {
    putValue(rootKey, path, name, reg::kDword,
             {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
              static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
}

bool FakeRegistry::hasKey(HKey rootKey, const std::string& path) const {
    NodePtr r = root(rootKey);
    return r && find(r, path) != nullptr;
}

std::optional<FakeRegistry::Value> FakeRegistry::value(HKey rootKey, const std::string& path,
                                                       const std::string& name) const {
    NodePtr r = root(rootKey);
    NodePtr node = r ? find(r, path) : nullptr;
    if (!node) return std::nullopt;
    auto it = node->values.find(fold(name));
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> FakeRegistry::subKeys(HKey rootKey, const std::string& path) const {
    std::vector<std::string> names;
    NodePtr r = root(rootKey);
    NodePtr node = r ? find(r, path) : nullptr;
    if (node) {
        for (const auto& [folded, child] : node->children) names.push_back(child->name);
    }
    return names;
}

}  // namespace kvr::platform
