#include <gtest/gtest.h>

#include "shared/PluginPaths.h"

namespace {

using txl::ParentDirectory;
using txl::SiblingPath;

TEST(PluginPaths, ParentDropsTheLastElementAndItsSeparators) {
    EXPECT_EQ(ParentDirectory(L"C:\\servers\\plugins\\Txl\\Txl.dll"), L"C:\\servers\\plugins\\Txl");
    EXPECT_EQ(ParentDirectory(L"/srv/plugins//Txl.so"), L"/srv/plugins");
    EXPECT_EQ(ParentDirectory(L"C:/mixed\\style/Txl.dll"), L"C:/mixed\\style");
    EXPECT_EQ(ParentDirectory(L"C:\\Txl.dll"), L"C:\\");
    EXPECT_EQ(ParentDirectory(L"/Txl.so"), L"/");
    EXPECT_EQ(ParentDirectory(L"Txl.so"), L"");
}

TEST(PluginPaths, SiblingsLieInTheSameFolder) {
#if defined(_WIN32)
    EXPECT_EQ(SiblingPath(L"C:\\p\\Txl.dll", L"config.json"), L"C:\\p\\config.json");
#else
    EXPECT_EQ(SiblingPath(L"/srv/p/Txl.so", L"config.json"), L"/srv/p/config.json");
    EXPECT_EQ(SiblingPath(L"/Txl.so", L"config.json"), L"/config.json");
#endif
    EXPECT_EQ(SiblingPath(L"Txl.so", L"config.json"), L"config.json");
    // The report lies beside the configuration, whatever the module was called.
    EXPECT_EQ(SiblingPath(SiblingPath(L"/srv/p/Other Name.so", L"config.json"),
                          L"processor-runtime.json"),
              SiblingPath(L"/srv/p/x", L"processor-runtime.json"));
}

}  // namespace
