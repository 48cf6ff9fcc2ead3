#include "libventrilo/IVentriloLocator.h"
#include "elements/ElementContext.h"
#include "types/ScriptTypes.h"
#include "platform/sim/SimDesktop.h"
#include "tests/support/ModuleFixture.h"

#include <gtest/gtest.h>

namespace {

const char* const kTypeNames[] = {"ventrilo",        "ventriloelement", "ventriloinstance",
                                  "ventrilochannel", "ventriloserver",  "ventrilouser"};

std::vector<std::string> Wrapped(const char* operation, const std::vector<std::string>& names) {
  std::vector<std::string> calls;
  for (const std::string& name : names)
    calls.push_back(std::string(operation) + "(" + name + ")");
  return calls;
}

// Whether the process-wide locator is gone: a fresh one starts with the
// caller's reference alone.
bool LocatorWasReleased() {
  IVentriloLocator* locator = nullptr;
  if (!GetVentriloLocator(&locator))
    return false;
  const int references = locator->AddRef();
  locator->Release();
  locator->Release();
  return references == 2;
}

using ModuleLifecycle = ModuleFixture;

}  // namespace

TEST_F(ModuleLifecycle, Initialize_CallsTheHostInOrder) {
  std::vector<std::string> expected = {"LookupType(string)", "LookupType(uint)", "LookupType(bool)"};
  for (const std::string& call : Wrapped("DeclareEvent", host->declaredEvents))
    expected.push_back(call);
  for (const std::string& call : Wrapped("InstallType", {std::begin(kTypeNames), std::end(kTypeNames)}))
    expected.push_back(call);
  expected.push_back("BindGlobalObject(Ventrilo)");
  expected.push_back("ConsoleWrite");
  EXPECT_EQ(host->Calls(), expected);
  EXPECT_EQ(host->declaredEvents.size(), 17u);
  EXPECT_EQ(host->Console(), std::vector<std::string>{"Chorister version 20081015 Loaded"});
  EXPECT_TRUE(module->PollingThread().IsRunning());
  EXPECT_FALSE(module->Initialize(host.get()));
}

TEST_F(ModuleLifecycle, Initialize_KeepsTheHostTypesAndLinksEachTypeToItsParent) {
  EXPECT_EQ(ElementContext::Get().host, host.get());
  EXPECT_EQ(ScriptTypes::StringType, host->StringType());
  EXPECT_EQ(ScriptTypes::UIntType, host->UIntType());
  EXPECT_EQ(ScriptTypes::BoolType, host->BoolType());
  const ElementContext& context = ElementContext::Get();
  const QSTypeDefinition* created[] = {ScriptTypes::VentriloType, ScriptTypes::ElementType, context.instanceType,
                                       context.channelType,       context.serverType,       context.userType};
  for (std::size_t i = 0; i < std::size(created); ++i)
    EXPECT_EQ(created[i], host->installedTypes[i]) << kTypeNames[i];
  EXPECT_EQ(ScriptTypes::VentriloType->GetInheritance(), nullptr);
  EXPECT_EQ(ScriptTypes::ElementType->GetInheritance(), nullptr);
  EXPECT_EQ(context.instanceType->GetInheritance(), ScriptTypes::ElementType);
  EXPECT_EQ(context.channelType->GetInheritance(), ScriptTypes::ElementType);
  EXPECT_EQ(context.serverType->GetInheritance(), context.channelType);
  EXPECT_EQ(context.userType->GetInheritance(), ScriptTypes::ElementType);
  EXPECT_EQ(host->globals.count("Ventrilo"), 1u);
}

TEST_F(ModuleLifecycle, Shutdown_StopsThePollingThreadThenRemovesBindingAndTypes) {
  ASSERT_TRUE(module->AwaitHandOver(1, 10000));
  host->ClearRecords();
  module->Shutdown();
  EXPECT_FALSE(module->PollingThread().IsRunning());
  EXPECT_EQ(module->PollingThread().GetThreadID(), 0u);
  EXPECT_TRUE(LocatorWasReleased());

  std::vector<std::string> expected = {"UnbindGlobalObject(Ventrilo)"};
  for (const std::string& call : Wrapped("UninstallType", {std::begin(kTypeNames), std::end(kTypeNames)}))
    expected.push_back(call);
  EXPECT_EQ(host->Calls(), expected);
  EXPECT_TRUE(host->installedTypes.empty());
  EXPECT_TRUE(host->globals.empty());
  EXPECT_EQ(host->declaredEvents.size(), 17u);
  const ElementContext& context = ElementContext::Get();
  for (QSTypeDefinition* type : {ScriptTypes::VentriloType, ScriptTypes::ElementType, context.instanceType,
                                 context.channelType, context.serverType, context.userType})
    EXPECT_EQ(type, nullptr);
}

TEST(ModuleWithoutThread, LoadsAndShutsDownWhenNoThreadCanBeCreated) {
  sim::ResetDesktop();
  RecordingHost host;
  QSModuleInterface* module = CreateQSModuleInterface(23);
  ASSERT_NE(module, nullptr);
  sim::FailCreateThread(1);
  ASSERT_TRUE(module->Initialize(&host));
  EXPECT_EQ(host.Console(),
            (std::vector<std::string>{"Chorister could not start its polling thread; no client will be seen\n",
                                      "Chorister version 20081015 Loaded"}));
  EXPECT_FALSE(Chorister::Get()->PollingThread().IsRunning());
  EXPECT_EQ(Chorister::Get()->HandOverCount(), 0u);
  module->Shutdown();
  EXPECT_TRUE(host.installedTypes.empty());
  Chorister::DestroyModule();
  EXPECT_EQ(ElementContext::Get().host, nullptr);
}
