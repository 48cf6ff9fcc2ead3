// A script host with the test types "thing" (parent "base") installed and the
// global object "Things" bound: Things is thing 1, Things[n] thing n.
#pragma once

#include "tests/host/BaseType.h"
#include "tests/host/ScriptFixture.h"
#include "tests/host/ThingType.h"

class ThingFixture : public ScriptFixture {
 protected:
  ThingFixture();
  ~ThingFixture() override;

  BaseType base;
  ThingType thing;

 private:
  static bool Resolve(int argumentCount, const char* const* arguments, ObjectRef* out);
  static ThingFixture* current_;
};
