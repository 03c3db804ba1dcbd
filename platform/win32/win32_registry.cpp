#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/text.h"

namespace kvr::platform {

namespace {

using win32::toUtf8;
using win32::toWide;

static_assert(sizeof(HKEY) == sizeof(HKey), "the product is 32-bit: a key handle fits an HKey");

HKEY toNative(HKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}
HKey fromNative(HKEY key) {
    return static_cast<HKey>(reinterpret_cast<std::uintptr_t>(key));
}

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Registry bytes as they cross the port: string types become UTF-8. An odd trailing byte of a
// string (another program may store one) is no whole UTF-16 unit and is dropped.
std::vector<std::uint8_t> toPortData(DWORD type, const std::vector<BYTE>& raw) {
    if (!isStringType(type)) return {raw.begin(), raw.end()};
    std::wstring wide(raw.size() / 2, L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<wchar_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    const std::string text = toUtf8(wide);
    return {text.begin(), text.end()};
}

// RegSetValueEx peeks at the character just past a string's data and, when that one is a NUL and
// the last counted one is not, stores a terminator the caller did not count. The buffer holds a
// non-NUL character there, so what is stored is exactly what was given and the peek stays inside
// our memory. The returned size excludes that character.
std::vector<BYTE> toNativeData(DWORD type, const std::vector<std::uint8_t>& data, DWORD& size) {
    if (!isStringType(type)) {
        size = static_cast<DWORD>(data.size());
        return {data.begin(), data.end()};
    }
    std::wstring wide =
        toWide(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    size = static_cast<DWORD>(wide.size() * 2);
    wide.push_back(L'\xFFFF');
    std::vector<BYTE> raw(wide.size() * 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        raw[2 * i] = static_cast<BYTE>(wide[i] & 0xFF);
        raw[2 * i + 1] = static_cast<BYTE>((wide[i] >> 8) & 0xFF);
    }
    return raw;
}

// Windows leaves the name length untouched when the buffer is too small, so grow blindly.
constexpr DWORD kFirstNameBuffer = 256;
constexpr DWORD kLargestNameBuffer = 65536;

}  // namespace

ErrorCode Win32Registry::openKey(HKey parent, const std::string& subKey, std::uint32_t access,
                                 HKey& result) {
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExW(toNative(parent), toWide(subKey).c_str(), 0, access, &key);
    result = rc == ERROR_SUCCESS ? fromNative(key) : 0;
    return rc;
}

ErrorCode Win32Registry::createKey(HKey parent, const std::string& subKey, HKey& result) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyW(toNative(parent), toWide(subKey).c_str(), &key);
    result = rc == ERROR_SUCCESS ? fromNative(key) : 0;
    return rc;
}

ErrorCode Win32Registry::closeKey(HKey key) {
    return RegCloseKey(toNative(key));
}

ErrorCode Win32Registry::queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                    std::vector<std::uint8_t>& data) {
    type = 0;
    data.clear();
    const std::wstring wideName = toWide(name);
    DWORD nativeType = 0;
    DWORD size = 0;
    LONG rc =
        RegQueryValueExW(toNative(key), wideName.c_str(), nullptr, &nativeType, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    // The value may grow between the two calls; a non-empty buffer makes that show as MORE_DATA.
    std::vector<BYTE> raw(size + 1);
    for (;;) {
        size = static_cast<DWORD>(raw.size());
        rc = RegQueryValueExW(toNative(key), wideName.c_str(), nullptr, &nativeType, raw.data(),
                              &size);
        if (rc != ERROR_MORE_DATA) break;
        raw.resize(size + 1);
    }
    if (rc != ERROR_SUCCESS) return rc;
    raw.resize(size);
    type = nativeType;
    data = toPortData(nativeType, raw);
    return ERROR_SUCCESS;
}

ErrorCode Win32Registry::setValue(HKey key, const std::string& name, std::uint32_t type,
                                  const std::vector<std::uint8_t>& data) {
    DWORD size = 0;
    const std::vector<BYTE> raw = toNativeData(type, data, size);
    static const BYTE kNothing = 0;
    return RegSetValueExW(toNative(key), toWide(name).c_str(), 0, type,
                          raw.empty() ? &kNothing : raw.data(), size);
}

ErrorCode Win32Registry::deleteKey(HKey parent, const std::string& subKey) {
    return RegDeleteKeyW(toNative(parent), toWide(subKey).c_str());
}

ErrorCode Win32Registry::deleteValue(HKey key, const std::string& name) {
    return RegDeleteValueW(toNative(key), toWide(name).c_str());
}

ErrorCode Win32Registry::enumKey(HKey key, std::uint32_t index, std::string& name) {
    name.clear();
    std::wstring buffer(kFirstNameBuffer, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc = RegEnumKeyExW(toNative(key), index, buffer.data(), &length, nullptr,
                                      nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && buffer.size() < kLargestNameBuffer) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc == ERROR_SUCCESS) name = toUtf8(std::wstring_view(buffer.data(), length));
        return rc;
    }
}

ErrorCode Win32Registry::enumValue(HKey key, std::uint32_t index, std::string& name,
                                   std::uint32_t& type, std::vector<std::uint8_t>& data) {
    name.clear();
    type = 0;
    data.clear();
    DWORD maxName = 0;
    DWORD maxData = 0;
    LONG rc = RegQueryInfoKeyW(toNative(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &maxName, &maxData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring nameBuffer(maxName + 1 > kFirstNameBuffer ? maxName + 1 : kFirstNameBuffer, L'\0');
    std::vector<BYTE> raw(maxData + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(nameBuffer.size());
        DWORD size = static_cast<DWORD>(raw.size());
        DWORD nativeType = 0;
        rc = RegEnumValueW(toNative(key), index, nameBuffer.data(), &nameLength, nullptr,
                           &nativeType, raw.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            // Either buffer may be the short one, and the value may have grown meanwhile.
            if (nameBuffer.size() < kLargestNameBuffer) nameBuffer.resize(nameBuffer.size() * 2);
            raw.resize(size > raw.size() ? size + 1 : raw.size() * 2);
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        raw.resize(size);
        name = toUtf8(std::wstring_view(nameBuffer.data(), nameLength));
        type = nativeType;
        data = toPortData(nativeType, raw);
        return ERROR_SUCCESS;
    }
    return rc;
}

ErrorCode Win32Registry::queryInfoKey(HKey key, KeyInfo& info) {
    info = KeyInfo{};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    const LONG rc =
        RegQueryInfoKeyW(toNative(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                         &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    info.subKeys = subKeys;
    info.maxSubKeyLen = maxSubKeyLen;
    info.values = values;
    info.maxValueNameLen = maxValueNameLen;
    info.maxValueLen = maxValueLen;
    return ERROR_SUCCESS;
}

}  // namespace kvr::platform
