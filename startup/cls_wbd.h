// clsWBD: the program's only way into the registry. Keys are written as text paths whose root is
// named by a short prefix ("HKCU\...") or by its full name ("HKEY_CURRENT_USER\..."); handles
// never outlive a call and failures come back as Win32 codes, false or "".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry.h"
#include "platform/services.h"

namespace kvr {

class clsWBD {
public:
    // What SetReg writes: text (REG_SZ), bytes (REG_BINARY) or a number (REG_DWORD).
    using RegValue = std::variant<std::string, std::vector<std::uint8_t>, std::int32_t>;

    explicit clsWBD(platform::Registry& registry = platform::registry());

    std::string strResolucionPantalla();
    std::string strTamañoFuenteSistema();
    std::string strDame(const std::string& Clave, const std::string& Valor);
    platform::ErrorCode CloseKey(platform::HKey hKey);
    platform::ErrorCode CreateKey(const std::string& sKey);
    bool EnumKeys(std::vector<std::string>& colKeys, const std::string& sKey);
    bool EnumValues(std::vector<std::string>& colKeys, const std::string& sKey);
    bool ExistKey(const std::string& sKey);
    // Writes lpData as a REG_SZ value named lpSubKey of the open key, without a terminator.
    platform::ErrorCode RegSetDefault(platform::HKey hKey, const std::string& lpSubKey,
                                      const std::string& lpData);
    platform::ErrorCode DeleteKey(const std::string& sKey, const std::string& sValue,
                                  platform::HKey hKey = platform::reg::kCurrentUser);
    platform::ErrorCode SetReg(const std::string& sKey, const std::string& sName,
                               const RegValue& vValue,
                               platform::HKey hKey = platform::reg::kCurrentUser,
                               std::uint32_t RegDataType = platform::reg::kSz,
                               bool bCreateKey = true);

private:
    friend struct ClsWbdInternals;  // lets the unit tests reach the private routines

    // Bytes, a number or a text; nothing when the key or value cannot be read.
    using Data = std::variant<std::vector<std::uint8_t>, std::int32_t, std::string>;

    std::optional<Data> ReadValue(const std::string& sKey, const std::string& sValue,
                                  platform::HKey hDefault, bool bFormat);
    // Leaves the sub-path in sKey. rootNamed tells whether the path named its root itself.
    platform::HKey ResolveRoot(std::string& sKey, platform::HKey hDefault, bool& rootNamed) const;
    platform::ErrorCode DeleteKeyTree(platform::HKey hParent, const std::string& sSubKey);
    // Resolves the path and opens it; false when it names no key (a root only when named).
    bool OpenToRead(const std::string& sKey, platform::HKey hDefault, std::uint32_t access,
                    platform::HKey& key);
    static std::string TrimRegText(const std::string& sText, bool bMulti);

    platform::Registry& registry_;
};

}  // namespace kvr
