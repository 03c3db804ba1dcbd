#include "mainwin/web_page.h"

#include <gtest/gtest.h>

#include "base/ids.h"
#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

class WebItems : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea trayArea;
    engine::HideEngine hideEngine{trayArea};
    frmPpal main{hideEngine};

    std::vector<ui::MenuItem*> items() {
        return {&main.mnu_ORQWeb, &main.mnuKVR_Web, &main.mnuWebFaq, &main.mnu_OtrosProductos};
    }
    std::vector<std::string> addresses(const std::string& messageFile) {
        const auto text = langfile::read(fake.lng(messageFile));
        std::vector<std::string> found;
        for (const char* number : {"018", "019", "020", "021"}) {
            found.push_back(langfile::split(langfile::lookUp(*text, number).value_or(""))[0]);
        }
        return found;
    }
};

TEST_F(WebItems, EachItemOpensItsMessagesAddressInTheCurrentLanguage) {
    main.load();
    for (ui::MenuItem* item : items()) item->click();
    const auto english = addresses("KVR_Eng.txt");
    EXPECT_EQ(fake.system.opened, english);

    fake.system.opened.clear();
    main.languageItems()[1]->click();  // Deutsch
    for (ui::MenuItem* item : items()) item->click();
    const auto german = addresses("KVR_Deu.txt");
    EXPECT_EQ(fake.system.opened, german);
    for (std::size_t i = 0; i < german.size(); ++i) {
        EXPECT_NE(german[i], english[i]) << "item " << i << " opens the same page in both";
    }
    main.unload();
}

TEST_F(WebItems, ShippedAddressesAreAllWebAddresses) {
    for (const char* file : {"KVR_Eng.txt", "KVR_Esp.txt", "KVR_Deu.txt"}) {
        for (const std::string& address : addresses(file)) {
            EXPECT_TRUE(isWebAddress(address)) << file << ": " << address;
        }
    }
}

TEST_F(WebItems, AnythingButAWebAddressNeverReachesTheShell) {
    main.load();
    const std::string refused[] = {
        "file:///C:/Windows/win.ini",
        "C:\\Windows\\System32\\cmd.exe",
        "cmd.exe",
        "cmd.exe /c calc",
        "javascript:alert(1)",
        "",
        "https://www.example.org/a b",
        "https://www.example.org/\" --new-window file:///C:/",
        "https://www.example.org/'x'",
        " https://www.example.org/",
        "https://www.example.org/\t",
        "https://",
        "https:///etc/passwd",
        "http:C:\\x.exe",
        "ftp://www.example.org/",
        "mailto:someone@example.org",
        "\\\\server\\share\\setup.exe",
        "https://www.example.org\\..\\..\\x.exe",
    };
    for (const std::string& address : refused) {
        fake.files.put(fake.lng("KVR_Eng.txt"), "[019]=" + address + "\r\n");
        main.mnuKVR_Web.click();
        EXPECT_FALSE(main.OpenWebPage(address)) << address;
        EXPECT_TRUE(fake.system.opened.empty()) << "passed to the shell: " << address;
        fake.system.opened.clear();
    }
    // A message file without the address gives the number itself: nothing to open either.
    fake.files.put(fake.lng("KVR_Eng.txt"), "[018]=https://www.example.org/\r\n");
    main.mnuKVR_Web.click();
    EXPECT_TRUE(fake.system.opened.empty());
    main.unload();
}

TEST(WebAddress, PlainHttpAndHttpsAddressesAreAccepted) {
    for (const char* address : {"https://www.example.org/", "http://example.org",
                                "HTTPS://Example.org/kvr/faq?q=1#top", "https://example.org/a%20b",
                                "https://m\xC3\xBC"
                                "nchen.example/"}) {
        EXPECT_TRUE(isWebAddress(address)) << address;
    }
}

}  // namespace
}  // namespace kvr
