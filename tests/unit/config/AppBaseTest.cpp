// AfxGetApp() follows the application objects that live, in whatever order they end.
#include <memory>

#include <gtest/gtest.h>

#include "config/AppBase.h"

namespace {

TEST(AfxGetApp, IsTheNewestLiveApplicationObject) {
    CAppBase* const before = AfxGetApp();
    auto first = std::make_unique<CAppBase>();
    auto second = std::make_unique<CAppBase>();
    EXPECT_EQ(AfxGetApp(), second.get());
    // The older one ends first: the newer one stays current, and after it the one before both.
    first.reset();
    EXPECT_EQ(AfxGetApp(), second.get());
    second.reset();
    EXPECT_EQ(AfxGetApp(), before);

    auto third = std::make_unique<CAppBase>();
    auto fourth = std::make_unique<CAppBase>();
    fourth.reset();
    EXPECT_EQ(AfxGetApp(), third.get());
    third.reset();
    EXPECT_EQ(AfxGetApp(), before);
}

}  // namespace
