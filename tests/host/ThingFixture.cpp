#include "tests/host/ThingFixture.h"

#include <cstdlib>

ThingFixture* ThingFixture::current_ = nullptr;

ThingFixture::ThingFixture() : base(host.LookupType("string", 0, 0)), thing(&host, &base) {
  current_ = this;
  host.InstallType(&base);
  host.InstallType(&thing);
  thing.things[1] = {"alpha", 3, true, 2, {}};
  thing.things[2] = {"beta", 0xFFFFFFFFu, false, 3, {}};
  thing.things[3] = {"gamma", 0, true, 0, {}};
  host.BindGlobalObject("Things", Resolve);
}

ThingFixture::~ThingFixture() { current_ = nullptr; }

bool ThingFixture::Resolve(int argumentCount, const char* const* arguments, ObjectRef* out) {
  std::uintptr_t id = argumentCount == 0 ? 1 : std::strtoul(arguments[0], nullptr, 10);
  if (current_->thing.things.count(id) == 0)
    return false;
  *out = current_->thing.Ref(id);
  return true;
}
