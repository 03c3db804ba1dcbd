// The compiled help files the build puts beside the language files: one per shipped language,
// each holding every page its project lists, the languages holding the same pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"

namespace kvr {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const fs::path kHelpSources = fs::path(KVR_SOURCE_DIR) / "help";

// The [FILES] section of a help project.
std::vector<std::string> projectFiles(const std::string& language) {
    std::istringstream lines(readFile(kHelpSources / language / "kvr.hhp"));
    std::vector<std::string> files;
    bool inFiles = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inFiles = line == "[FILES]";
        } else if (inFiles && !line.empty()) {
            files.push_back(line);
        }
    }
    return files;
}

// The languages that ship a form-text file: KVR_<name>.txt with a name of four or more letters.
std::set<std::string> shippedLanguagePrefixes() {
    std::set<std::string> prefixes;
    for (const auto& entry : fs::directory_iterator(fs::path(KVR_SOURCE_DIR) / "Lng")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("KVR_", 0) != 0 || entry.path().extension() != ".txt") continue;
        const std::string language = name.substr(4, name.size() - 8);
        if (text::length(language) >= 4) prefixes.insert(text::characters(language, 0, 3));
    }
    return prefixes;
}

TEST(HelpFiles, EveryShippedLanguageHasItsHelpFileWithEveryPage) {
    const auto prefixes = shippedLanguagePrefixes();
    ASSERT_EQ(prefixes, (std::set<std::string>{"Deu", "Eng", "Esp"}));
    for (const std::string& language : prefixes) {
        SCOPED_TRACE(language);
        const std::string chm = readFile(fs::path(KVR_LNG_DIR) / ("KVR_" + language + ".chm"));
        ASSERT_GE(chm.size(), 4u) << "not built";
        EXPECT_EQ(chm.substr(0, 4), "ITSF");
        const auto files = projectFiles(language);
        ASSERT_FALSE(files.empty());
        for (const std::string& file : files) {
            // The file's entry in the help file's directory: its length, then "/" and its name.
            const std::string entry = static_cast<char>(file.size() + 1) + ("/" + file);
            EXPECT_NE(chm.find(entry), std::string::npos) << file << " is not in the help file";
        }
    }
}

TEST(HelpFiles, EveryLanguageHasTheSamePagesAndDescribesAllTwelveHotkeys) {
    const auto english = projectFiles("Eng");
    for (const char* language : {"Esp", "Deu"}) {
        EXPECT_EQ(projectFiles(language), english) << language;
    }
    for (const char* language : {"Eng", "Esp", "Deu"}) {
        const std::string page = readFile(kHelpSources / language / "hotkeys.html");
        std::size_t rows = 0;
        for (auto at = page.find("<tr><td><kbd>"); at != std::string::npos;
             at = page.find("<tr><td><kbd>", at + 1)) {
            ++rows;
        }
        EXPECT_EQ(rows, 12u) << language;
        for (const char* key : {"F9<", "F10<", "F11<", "F12<", "+W<", "F2<", "F3<", "F4<"}) {
            EXPECT_NE(page.find(key), std::string::npos) << language << " " << key;
        }
    }
}

}  // namespace
}  // namespace kvr
