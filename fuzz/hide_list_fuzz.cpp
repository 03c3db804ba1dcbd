// Any bytes as the program list file lsv.dat: the reader keeps the whole records before any
// damage, takes no text the file does not hold, and writing the list again gives back exactly
// the bytes of those records.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/mod_procs_kvr.h"
#include "platform/fake/fake_system.h"
#include "platform/services.h"

namespace {

using namespace kvr;

struct Platform {
    platform::FakeSystem system;
    platform::FakeFileSystem files;
    Platform() { platform::install({nullptr, nullptr, &system, &files, nullptr}); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Platform fake;
    const std::string file(reinterpret_cast<const char*>(data), size);
    const std::string list = fake.system.folder + "\\lsv.dat";
    fake.files.put(list, file);
    fake.files.changes.clear();

    const auto records = modProcsKVR::DecodeHideList(file);
    std::size_t whole = 0;
    for (const auto& record : records) {
        whole += 8;
        for (const std::string& text : record) whole += text.size();
    }
    if (whole > size || records.size() > size / 8) __builtin_trap();

    modProcsKVR::LoadProcessHideList();
    if (modProcsKVR::ProcessHideList.size() != records.size() + 1) __builtin_trap();
    if (!modProcsKVR::SaveProcessHideList()) __builtin_trap();
    std::string saved;
    if (!fake.files.readFile(list, saved) || saved != file.substr(0, whole)) __builtin_trap();
    return 0;
}
