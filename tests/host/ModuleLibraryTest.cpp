// Loading modules: the version check and every way a load can fail.
#include "host/program/ModuleLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

std::string FakeModule(const char* name) { return std::string(FAKE_MODULE_DIR) + "/" + name + ".so"; }

}  // namespace

TEST(ModuleLoading, ModuleOfTheHostsVersionIsCreated) {
  ModuleLibrary library;
  ASSERT_TRUE(library.Open(FakeModule("fake_module"))) << library.Error();
  ASSERT_NE(nullptr, library.Interface());
  EXPECT_EQ(23, library.Interface()->GetVersion());
  library.Close();
  EXPECT_EQ(nullptr, library.Interface());
  // Unloading destroyed the module object, so it can be created again. The
  // loader may keep a closed library mapped (it does at times under the
  // sanitizers); the module object then lives on and a second one is refused.
  if (void* still = dlopen(FakeModule("fake_module").c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(still);
    GTEST_SKIP() << "the loader kept the closed module mapped";
  }
  EXPECT_TRUE(library.Open(FakeModule("fake_module"))) << library.Error();
}

TEST(ModuleLoading, ModuleThatRefusesItsInterfaceIsNotUsed) {
  ModuleLibrary first;
  ASSERT_TRUE(first.Open(FakeModule("fake_module")));
  ModuleLibrary second;
  EXPECT_FALSE(second.Open(FakeModule("fake_module")));
  EXPECT_EQ("module " + FakeModule("fake_module") + " refused to create its interface for version 23", second.Error());
  EXPECT_EQ(nullptr, second.Interface());
}

TEST(ModuleLoading, EveryFailureIsOneClearLine) {
  struct Case {
    std::string path;
    std::string error;
  };
  const Case cases[] = {
      {FakeModule("fake_module_v22"),
       "module " + FakeModule("fake_module_v22") + " is built for interface version 22; this host serves version 23"},
      {FakeModule("fake_module_nofactory"),
       FakeModule("fake_module_nofactory") + " is not a script module: it does not export CreateQSModuleInterface"},
      {FakeModule("missing"), "cannot load module " + FakeModule("missing") + ": "},
  };
  for (const Case& c : cases) {
    ModuleLibrary library;
    EXPECT_FALSE(library.Open(c.path));
    EXPECT_EQ(nullptr, library.Interface());
    EXPECT_EQ(0u, library.Error().rfind(c.error, 0)) << library.Error();
    EXPECT_EQ(std::string::npos, library.Error().find('\n'));
  }
}
