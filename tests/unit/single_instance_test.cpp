#include "platform/single_instance.h"

#include <gtest/gtest.h>

namespace kvr {
namespace {

using platform::earlierInstanceFrom;

TEST(SingleInstance, EachResultOfCreatingTheMutex) {
    EXPECT_FALSE(earlierInstanceFrom(true, 0)) << "new: we are the first";
    EXPECT_TRUE(earlierInstanceFrom(true, 183)) << "already exists";
    EXPECT_TRUE(earlierInstanceFrom(false, 5)) << "access denied: held elevated or by another user";
    // Failures that say nothing about another copy let the program start.
    EXPECT_FALSE(earlierInstanceFrom(false, 6)) << "invalid handle: name taken by another object";
    EXPECT_FALSE(earlierInstanceFrom(false, 8)) << "not enough memory";
    EXPECT_FALSE(earlierInstanceFrom(false, 1450)) << "no system resources";
    EXPECT_FALSE(earlierInstanceFrom(false, 0)) << "no handle, no reason";
}

}  // namespace
}  // namespace kvr
