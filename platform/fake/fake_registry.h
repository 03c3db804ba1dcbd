// An in-memory registry that behaves like the one Wine gives our program: the same error codes,
// the same case rules and the same enumeration order. Its fidelity is held by the contract tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kvr::platform {

class FakeRegistry : public Registry {
public:
    struct Value {
        std::string name;  // as first written
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };

    FakeRegistry();
    ~FakeRegistry() override;
    FakeRegistry(const FakeRegistry&) = delete;
    FakeRegistry& operator=(const FakeRegistry&) = delete;

    ErrorCode openKey(HKey parent, const std::string& subKey, std::uint32_t access,
                      HKey& result) override;
    ErrorCode createKey(HKey parent, const std::string& subKey, HKey& result) override;
    ErrorCode closeKey(HKey key) override;
    ErrorCode queryValue(HKey key, const std::string& name, std::uint32_t& type,
                         std::vector<std::uint8_t>& data) override;
    ErrorCode setValue(HKey key, const std::string& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) override;
    ErrorCode deleteKey(HKey parent, const std::string& subKey) override;
    ErrorCode deleteValue(HKey key, const std::string& name) override;
    ErrorCode enumKey(HKey key, std::uint32_t index, std::string& name) override;
    ErrorCode enumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                        std::vector<std::uint8_t>& data) override;
    ErrorCode queryInfoKey(HKey key, KeyInfo& info) override;

    // Test hooks. A read-only registry behaves like one whose ACLs deny every write: opening
    // for writing, creating a missing key, setting and deleting fail with ERROR_ACCESS_DENIED;
    // reading and opening an existing key through createKey still work.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // The same for one root only, as HKEY_LOCAL_MACHINE is for a standard user.
    void setReadOnly(HKey root, bool readOnly);
    // Handles handed out and not closed yet (the predefined roots are not counted).
    std::size_t openHandles() const { return handles_.size(); }
    // Calls of createKey, setValue, deleteKey and deleteValue, whether they succeeded or not.
    std::size_t writeCalls() const { return writeCalls_; }
    // Calls of any port method.
    std::size_t calls() const { return calls_; }
    void resetCounters() { writeCalls_ = calls_ = 0; }

    // Arranging and inspecting without going through the port: not counted as calls, ignore
    // read-only mode, and create missing keys on the way. Paths are relative to a root.
    void putKey(HKey root, const std::string& path);
    void putValue(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);
    // REG_SZ with its terminator, as the program writes texts.
    void putText(HKey root, const std::string& path, const std::string& name,
                 const std::string& text);
    void putDword(HKey root, const std::string& path, const std::string& name,
                  std::uint32_t number);
    bool hasKey(HKey root, const std::string& path) const;
    std::optional<Value> value(HKey root, const std::string& path, const std::string& name) const;
    // Subkey names of a key in enumeration order; empty when the key is missing.
    std::vector<std::string> subKeys(HKey root, const std::string& path) const;

private:
    struct Node;
    using NodePtr = std::shared_ptr<Node>;
    struct Handle {
        NodePtr node;
        std::uint32_t access = 0;
    };

    ErrorCode resolve(HKey key, std::uint32_t needed, NodePtr& node) const;
    NodePtr find(const NodePtr& from, const std::string& path) const;
    NodePtr root(HKey key) const;
    HKey allocate(const NodePtr& node, std::uint32_t access);
    // Whether writes at this node are refused: everywhere, or below a read-only root.
    bool readOnlyAt(const Node& node) const;

    std::map<HKey, NodePtr> roots_;
    std::map<HKey, Handle> handles_;
    HKey nextHandle_ = 0x100;
    bool readOnly_ = false;
    std::vector<const Node*> readOnlyRoots_;
    std::size_t writeCalls_ = 0;
    std::size_t calls_ = 0;
};

}  // namespace kvr::platform
