#include "startup/cls_wbd.h"

#include <charconv>

#include "base/text.h"

namespace kvr {

namespace reg = platform::reg;
namespace err = platform::err;
using platform::ErrorCode;
using platform::HKey;

namespace {

constexpr char kDisplaySettings[] = "HKLM\\Config\\0001\\Display\\Settings";

struct RootName {
    const char* text;
    HKey root;
};

constexpr RootName kPrefixes[] = {
    {"HKCR\\", reg::kClassesRoot}, {"HKCU\\", reg::kCurrentUser},   {"HKLM\\", reg::kLocalMachine},
    {"HKU\\", reg::kUsers},        {"HKCC\\", reg::kCurrentConfig}, {"HKDD\\", reg::kDynData},
};

constexpr RootName kFullNames[] = {
    {"HKEY_CLASSES_ROOT", reg::kClassesRoot},     {"HKEY_CURRENT_USER", reg::kCurrentUser},
    {"HKEY_LOCAL_MACHINE", reg::kLocalMachine},   {"HKEY_USERS", reg::kUsers},
    {"HKEY_CURRENT_CONFIG", reg::kCurrentConfig}, {"HKEY_DYN_DATA", reg::kDynData},
};

bool isKnownRoot(HKey key) {
    for (const RootName& entry : kPrefixes) {
        if (entry.root == key) return true;
    }
    return false;
}

// A sub-path made of nothing but separators reaches the root itself (Windows strips a leading
// "\" below HKEY_CLASSES_ROOT), so it counts as empty.
bool namesNoKey(const std::string& subPath) {
    return subPath.find_first_not_of('\\') == std::string::npos;
}

std::string asText(const std::vector<std::uint8_t>& data) {
    return {data.begin(), data.end()};
}

// Short DWORD data (Windows accepts any size) is zero-extended; longer data is cut to 4 bytes.
std::int32_t asNumber(const std::vector<std::uint8_t>& data) {
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < data.size() && i < 4; ++i) n |= std::uint32_t{data[i]} << (8 * i);
    return static_cast<std::int32_t>(n);
}

std::string hexByte(std::uint8_t byte) {
    return text::padded(byte, 0, 16);
}

std::vector<std::uint8_t> dwordBytes(std::int32_t number) {
    const auto n = static_cast<std::uint32_t>(number);
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

std::optional<std::int32_t> parseNumber(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::int32_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return n;
}

}  // namespace

clsWBD::clsWBD(platform::Registry& registry) : registry_(registry) {}

std::string clsWBD::strResolucionPantalla() {
    return strDame(kDisplaySettings, "Resolution");
}

std::string clsWBD::strTamañoFuenteSistema() {
    return strDame(kDisplaySettings, "DPILogicalX");
}

std::string clsWBD::strDame(const std::string& Clave, const std::string& Valor) {
    const std::optional<Data> data = ReadValue(Clave, Valor, reg::kCurrentUser, false);
    if (!data) return "";
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&*data)) return asText(*bytes);
    if (const auto* number = std::get_if<std::int32_t>(&*data)) return std::to_string(*number);
    return std::get<std::string>(*data);
}

ErrorCode clsWBD::CloseKey(HKey hKey) {
    return registry_.closeKey(hKey);
}

// Writing, creating and deleting refuse a path that names no key below its root, even when the
// root is named: a setting whose path came out empty must never land on, or wipe, a whole root.
// Reading a root is allowed only when the path names it ("HKEY_CURRENT_USER", "HKCU\").

ErrorCode clsWBD::CreateKey(const std::string& sKey) {
    std::string path = sKey;
    bool rootNamed = false;
    const HKey root = ResolveRoot(path, reg::kClassesRoot, rootNamed);
    if (namesNoKey(path)) return err::kInvalidParameter;
    HKey key = 0;
    ErrorCode rc = registry_.openKey(root, path, reg::kWrite, key);
    if (rc != err::kSuccess) rc = registry_.createKey(root, path, key);
    if (rc == err::kSuccess) registry_.closeKey(key);
    return rc;
}

bool clsWBD::OpenToRead(const std::string& sKey, HKey hDefault, std::uint32_t access, HKey& key) {
    std::string path = sKey;
    bool rootNamed = false;
    const HKey root = ResolveRoot(path, hDefault, rootNamed);
    if (!rootNamed && namesNoKey(path)) return false;
    return registry_.openKey(root, path, access, key) == err::kSuccess;
}

bool clsWBD::EnumKeys(std::vector<std::string>& colKeys, const std::string& sKey) {
    colKeys.assign(1, "");
    HKey key = 0;
    if (!OpenToRead(sKey, reg::kClassesRoot, reg::kRead, key)) return false;
    platform::KeyInfo info;
    registry_.queryInfoKey(key, info);
    for (std::uint32_t index = 0; index <= info.subKeys; ++index) {
        std::string name;
        const ErrorCode rc = registry_.enumKey(key, index, name);
        if (rc == err::kSuccess || rc == err::kMoreData) colKeys.push_back(name);
    }
    registry_.closeKey(key);
    return true;
}

bool clsWBD::EnumValues(std::vector<std::string>& colKeys, const std::string& sKey) {
    colKeys.assign(1, "");
    HKey key = 0;
    if (!OpenToRead(sKey, reg::kClassesRoot, reg::kRead, key)) return false;
    platform::KeyInfo info;
    if (registry_.queryInfoKey(key, info) == err::kInvalidParameter) {
        registry_.closeKey(key);
        return false;
    }
    for (std::uint32_t index = 0; index <= info.values; ++index) {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        const ErrorCode rc = registry_.enumValue(key, index, name, type, data);
        if (rc != err::kSuccess && rc != err::kMoreData) continue;
        switch (type) {
            case reg::kSz:
            case reg::kExpandSz:
            case reg::kMultiSz:
                colKeys.push_back(name);
                colKeys.push_back(TrimRegText(asText(data), type == reg::kMultiSz));
                break;
            case reg::kDword:
                colKeys.push_back(name);
                colKeys.push_back(std::to_string(asNumber(data)));
                break;
            default: {
                if (data.empty()) break;
                std::string hex;
                for (std::uint8_t byte : data) {
                    if (byte < 0x0A) hex += '0';
                    hex += hexByte(byte);
                    hex += ' ';
                }
                colKeys.push_back(name);
                colKeys.push_back(hex);
                break;
            }
        }
    }
    registry_.closeKey(key);
    return true;
}

bool clsWBD::ExistKey(const std::string& sKey) {
    HKey key = 0;
    if (!OpenToRead(sKey, reg::kLocalMachine, reg::kRead, key)) return false;
    registry_.closeKey(key);
    return true;
}

ErrorCode clsWBD::RegSetDefault(HKey hKey, const std::string& lpSubKey, const std::string& lpData) {
    return registry_.setValue(hKey, lpSubKey, reg::kSz,
                              std::vector<std::uint8_t>(lpData.begin(), lpData.end()));
}

ErrorCode clsWBD::DeleteKey(const std::string& sKey, const std::string& sValue, HKey hKey) {
    if (hKey < reg::kClassesRoot || hKey > reg::kDynData) hKey = reg::kClassesRoot;
    std::string path = sKey;
    bool rootNamed = false;
    const HKey root = ResolveRoot(path, hKey, rootNamed);
    if (namesNoKey(path)) return err::kInvalidParameter;
    if (sValue.empty()) return DeleteKeyTree(root, path);
    HKey key = 0;
    const ErrorCode opened = registry_.openKey(root, path, reg::kWrite, key);
    if (opened != err::kSuccess) return opened;
    const ErrorCode rc = registry_.deleteValue(key, sValue);
    registry_.closeKey(key);
    return rc;
}

ErrorCode clsWBD::SetReg(const std::string& sKey, const std::string& sName, const RegValue& vValue,
                         HKey hKey, std::uint32_t RegDataType, bool bCreateKey) {
    std::string path = sKey;
    bool rootNamed = false;
    const HKey root = ResolveRoot(path, hKey, rootNamed);
    if (namesNoKey(path)) return err::kInvalidParameter;

    HKey key = 0;
    ErrorCode rc = registry_.openKey(root, path, reg::kWrite, key);
    if (rc != err::kSuccess) {
        if (!bCreateKey) return rc;
        rc = registry_.createKey(root, path, key);
        if (rc != err::kSuccess) return rc;
    }

    ErrorCode written = err::kSuccess;
    if (RegDataType == reg::kSz) {
        std::string text;
        if (const auto* s = std::get_if<std::string>(&vValue)) text = *s;
        if (const auto* n = std::get_if<std::int32_t>(&vValue)) text = std::to_string(*n);
        if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&vValue)) text = asText(*b);
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        written = registry_.setValue(key, sName, reg::kSz, data);
    } else if (RegDataType == reg::kBinary) {
        if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&vValue))
            written = registry_.setValue(key, sName, reg::kBinary, *b);
        else if (const auto* s = std::get_if<std::string>(&vValue))
            written = registry_.setValue(key, sName, reg::kBinary, {s->begin(), s->end()});
        else
            written = err::kInvalidParameter;
    } else if (RegDataType == reg::kDword) {
        std::optional<std::int32_t> number;
        if (const auto* n = std::get_if<std::int32_t>(&vValue)) number = *n;
        if (const auto* s = std::get_if<std::string>(&vValue)) number = parseNumber(*s);
        written = number ? registry_.setValue(key, sName, reg::kDword, dwordBytes(*number))
                         : err::kInvalidParameter;
    }
    const ErrorCode closed = registry_.closeKey(key);
    return written != err::kSuccess ? written : closed;
}

std::optional<clsWBD::Data> clsWBD::ReadValue(const std::string& sKey, const std::string& sValue,
                                              HKey hDefault, bool bFormat) {
    HKey key = 0;
    if (!OpenToRead(sKey, hDefault, reg::kQueryValue, key)) return std::nullopt;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    const ErrorCode rc = registry_.queryValue(key, sValue, type, data);
    registry_.closeKey(key);
    if (rc != err::kSuccess || data.empty()) return std::nullopt;

    switch (type) {
        case reg::kBinary: {
            if (!bFormat) return data;
            std::string hex;
            for (std::uint8_t byte : data) {
                hex += hexByte(byte);
                hex += ' ';
            }
            return hex;
        }
        case reg::kDword: {
            const std::int32_t number = asNumber(data);
            if (!bFormat) return number;
            return "0x" + text::padded(static_cast<std::uint32_t>(number), 8, 16) + " (" +
                   std::to_string(number) + ")";
        }
        case reg::kSz: {
            // The terminator is not part of the text; a text stored without one keeps every
            // character.
            if (data.back() == 0) data.pop_back();
            return asText(data);
        }
        default:
            return std::nullopt;
    }
}

HKey clsWBD::ResolveRoot(std::string& sKey, HKey hDefault, bool& rootNamed) const {
    rootNamed = true;
    if (sKey.find("HKEY_") != std::string::npos) {
        const auto separator = sKey.find('\\');
        const std::string name = sKey.substr(0, separator);
        sKey = separator == std::string::npos ? "" : sKey.substr(separator + 1);
        for (const RootName& entry : kFullNames) {
            if (name == entry.text) return entry.root;
        }
        return reg::kClassesRoot;
    }
    for (const RootName& entry : kPrefixes) {
        const std::string prefix = entry.text;
        if (sKey.compare(0, prefix.size(), prefix) == 0) {
            sKey.erase(0, prefix.size());
            return entry.root;
        }
    }
    rootNamed = false;
    return isKnownRoot(hDefault) ? hDefault : reg::kClassesRoot;
}

ErrorCode clsWBD::DeleteKeyTree(HKey hParent, const std::string& sSubKey) {
    HKey key = 0;
    ErrorCode rc = registry_.openKey(hParent, sSubKey, reg::kAllAccess, key);
    if (rc != err::kSuccess) return rc;
    platform::KeyInfo info;
    rc = registry_.queryInfoKey(key, info);
    if (rc != err::kSuccess) {
        registry_.closeKey(key);
        return rc;
    }
    // From the last index down, so the indexes still to visit stay valid as subkeys go.
    for (std::uint32_t index = info.subKeys; index-- > 0;) {
        std::string name;
        if (registry_.enumKey(key, index, name) == err::kSuccess && !name.empty())
            DeleteKeyTree(key, name);
    }
    registry_.closeKey(key);
    return registry_.deleteKey(hParent, sSubKey);
}

std::string clsWBD::TrimRegText(const std::string& sText, bool bMulti) {
    if (!bMulti) return sText.substr(0, sText.find('\0'));
    const auto last = sText.rfind('\0');
    std::string text = last == std::string::npos ? sText : sText.substr(0, last);
    for (char& c : text) {
        if (c == '\0') c = ' ';
    }
    return text;
}

}  // namespace kvr
