#include "module/Chorister.h"
#include "tests/support/RecordingHost.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

TEST(Factory, HandsOutOneModuleObjectForVersion23Only) {
  EXPECT_EQ(QSModule_Version, 23);
  EXPECT_EQ(CreateQSModuleInterface(22), nullptr);
  EXPECT_EQ(CreateQSModuleInterface(24), nullptr);
  QSModuleInterface* first = CreateQSModuleInterface(23);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, Chorister::Get());
  EXPECT_EQ(first->GetVersion(), 23);
  EXPECT_EQ(CreateQSModuleInterface(23), nullptr);
  Chorister::DestroyModule();
  EXPECT_EQ(Chorister::Get(), nullptr);
  QSModuleInterface* second = CreateQSModuleInterface(23);
  EXPECT_NE(second, nullptr);
  Chorister::DestroyModule();
}

// The library as a host sees it: loaded by path, two names looked up, nothing
// else visible, and unloaded completely at the end (its destructor function
// destroys the module object; LeakSanitizer would report the object otherwise).
TEST(LoadedLibrary, ExportsTheTwoNamesAndServesAHost) {
  void* library = dlopen(CHORISTER_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto* version = static_cast<const int*>(dlsym(library, "QSModule_Version"));
  const auto create = reinterpret_cast<CreateQSModuleInterfaceFunc>(dlsym(library, "CreateQSModuleInterface"));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(*version, 23);
  EXPECT_EQ(dlsym(library, "_ZN9Chorister3GetEv"), nullptr);

  EXPECT_EQ(create(22), nullptr);
  QSModuleInterface* loaded = create(23);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(create(23), nullptr);
  EXPECT_EQ(Chorister::Get(), nullptr);  // the library has its own module object

  RecordingHost host;
  ASSERT_TRUE(loaded->Initialize(&host));
  EXPECT_EQ(host.Console(), std::vector<std::string>{"Chorister version 20081015 Loaded"});
  EXPECT_EQ(host.installedTypes.size(), 6u);
  loaded->Shutdown();
  EXPECT_TRUE(host.installedTypes.empty());

  ASSERT_EQ(dlclose(library), 0);
  EXPECT_EQ(dlopen(CHORISTER_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}

TEST(LoadedLibrary, UnloadDestroysAModuleObjectTheHostLeftBehind) {
  void* library = dlopen(CHORISTER_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  const auto create = reinterpret_cast<CreateQSModuleInterfaceFunc>(dlsym(library, "CreateQSModuleInterface"));
  ASSERT_NE(create, nullptr);
  QSModuleInterface* loaded = create(23);
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(dlclose(library), 0);
  EXPECT_EQ(dlopen(CHORISTER_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
}
