// Registry reads and writes for seeding a known state and checking what the program stored.
#include <algorithm>
#include <cstdio>

#include "probe.h"

namespace probe {

namespace {

struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

bool open(const std::string& path, REGSAM access, Key& key, bool create = false) {
    HKEY root;
    std::wstring sub;
    if (!splitRootedKey(path, &root, &sub)) return false;
    if (create)
        return RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, access, nullptr, &key.h,
                               nullptr) == ERROR_SUCCESS;
    return RegOpenKeyExW(root, sub.c_str(), 0, access, &key.h) == ERROR_SUCCESS;
}

std::string typeName(DWORD type) {
    switch (type) {
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_BINARY:
            return "REG_BINARY";
        default:
            return "TYPE" + std::to_string(type);
    }
}

std::string dataText(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring w(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
        while (!w.empty() && w.back() == L'\0') w.pop_back();  // stored terminators
        std::replace(w.begin(), w.end(), L'\0', L'|');         // REG_MULTI_SZ separators
        return quote(narrow(w));
    }
    if (type == REG_DWORD && data.size() == 4)
        return std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
    std::string hex;
    char buf[4];
    for (BYTE b : data) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        hex += buf;
    }
    return hex;
}

void dump(const std::string& path, std::vector<std::string>& out) {
    Key key;
    if (!open(path, KEY_READ, key)) return;
    out.push_back("KEY " + path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLen = DWORD(std::size(name)), type = 0, size = 0;
        if (RegEnumValueW(key.h, i, name, &nameLen, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size);
        nameLen = DWORD(std::size(name));
        if (RegEnumValueW(key.h, i, name, &nameLen, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        data.resize(size);
        out.push_back("VALUE " + path + "\\" + narrow(std::wstring(name, nameLen)) + " " +
                      typeName(type) + " " + dataText(type, data));
    }
    std::vector<std::string> subs;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = DWORD(std::size(name));
        if (RegEnumKeyExW(key.h, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subs.push_back(narrow(std::wstring(name, nameLen)));
    }
    for (const auto& s : subs) dump(path + "\\" + s, out);
}

}  // namespace

bool splitRootedKey(const std::string& path, HKEY* root, std::wstring* subKey) {
    static const std::pair<const char*, HKEY> roots[] = {
        {"HKCU", HKEY_CURRENT_USER},  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKCR", HKEY_CLASSES_ROOT},  {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKU", HKEY_USERS},          {"HKEY_USERS", HKEY_USERS},
    };
    auto slash = path.find('\\');
    std::string head = path.substr(0, slash);
    for (auto& [name, h] : roots) {
        if (_stricmp(head.c_str(), name) == 0) {
            *root = h;
            *subKey = slash == std::string::npos ? L"" : widen(path.substr(slash + 1));
            return true;
        }
    }
    return false;
}

bool regSetString(const std::string& key, const std::string& name, const std::string& value) {
    Key k;
    if (!open(key, KEY_SET_VALUE, k, true)) return false;
    std::wstring w = widen(value);
    return RegSetValueExW(k.h, widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(w.c_str()),
                          DWORD((w.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::optional<std::string> regGetString(const std::string& key, const std::string& name) {
    Key k;
    if (!open(key, KEY_QUERY_VALUE, k)) return std::nullopt;
    std::wstring wname = widen(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.h, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring w(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(k.h, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(w.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    w.resize(wcsnlen(w.c_str(), size / sizeof(wchar_t)));
    return narrow(w);
}

bool regDeleteValue(const std::string& key, const std::string& name) {
    Key k;
    if (!open(key, KEY_SET_VALUE, k)) return true;  // no key, no value
    LONG rc = RegDeleteValueW(k.h, widen(name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool regDeleteTree(const std::string& key) {
    HKEY root;
    std::wstring sub;
    if (!splitRootedKey(key, &root, &sub) || sub.empty()) return false;  // never a whole root
    LONG rc = RegDeleteTreeW(root, sub.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
    rc = RegDeleteKeyW(root, sub.c_str());  // RegDeleteTree leaves the key itself
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool regKeyExists(const std::string& key) {
    Key k;
    return open(key, KEY_READ, k);
}

std::vector<std::string> regDump(const std::string& key) {
    std::vector<std::string> out;
    dump(key, out);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace probe
