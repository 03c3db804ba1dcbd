// The single-instance check against the real object namespace: what an earlier copy leaves
// there, as the same user, as a user we may not open it for, and as something else entirely.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/win32_system.h"

namespace kvr::platform {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

TEST(InstanceWin32, ACopyOfTheSameUserIsSeenUntilItEnds) {
    {
        Handle earlier(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
        ASSERT_NE(earlier.get(), nullptr);
        Win32System system;
        EXPECT_TRUE(system.anotherInstanceRunning());
    }
    Win32System system;
    EXPECT_FALSE(system.anotherInstanceRunning()) << "the name goes with the last handle";
}

TEST(InstanceWin32, ACopyWeMayNotOpenCountsAsRunning) {
    // An empty access list, as a copy running elevated or under another account leaves us.
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ACL acl;
    ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    Handle earlier(CreateMutexW(&attributes, FALSE, kInstanceMutexName));
    ASSERT_NE(earlier.get(), nullptr);
    Handle opened(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
    if (opened.get() != nullptr) GTEST_SKIP() << "this system does not check access here";
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    Win32System system;
    EXPECT_TRUE(system.anotherInstanceRunning());
}

TEST(InstanceWin32, ANameTakenByAnotherKindOfObjectLetsTheProgramStart) {
    Handle other(CreateEventW(nullptr, TRUE, FALSE, kInstanceMutexName));
    ASSERT_NE(other.get(), nullptr);
    Win32System system;
    EXPECT_FALSE(system.anotherInstanceRunning());
    EXPECT_FALSE(system.anotherInstanceRunning()) << "asked once, answered alike";
}

}  // namespace
}  // namespace kvr::platform
