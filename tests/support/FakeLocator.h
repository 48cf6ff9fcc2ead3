// A locator over a fixed list of FakeVentrilo instances, holding one reference
// on each as the real one does, and lending one more for each report.
#pragma once

#include "libventrilo/IVentriloLocator.h"
#include "tests/support/FakeVentrilo.h"

#include <vector>

class FakeLocator final : public IVentriloLocator {
 public:
  explicit FakeLocator(int count) {
    for (int i = 0; i < count; ++i) {
      instances.push_back(new FakeVentrilo(static_cast<DWORD>(100 + i)));
      instances.back()->AddRef();
    }
  }
  ~FakeLocator() override {
    for (FakeVentrilo* instance : instances)
      instance->Release();
  }

  int Enumerate(IVentriloEnumerator* enumerator) override {
    int reported = 0;
    for (FakeVentrilo* instance : instances) {
      instance->AddRef();
      ++reported;
      const int stop = enumerator->OnVentrilo(instance->GetProcessID(), instance);
      instance->Release();
      if (stop == 1)
        break;
    }
    return reported;
  }

  std::vector<FakeVentrilo*> instances;
};
