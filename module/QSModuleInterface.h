// The module interface a host drives: initialise once, pulse on the host's main
// thread, shut down once. The module destroys its object itself, so there is no
// virtual destructor.
#pragma once

class ScriptHost;

inline constexpr int kQSModuleInterfaceVersion = 23;

class QSModuleInterface {
 public:
  virtual int GetVersion() { return kQSModuleInterfaceVersion; }
  virtual bool Initialize(ScriptHost* host) = 0;
  virtual void Shutdown() = 0;
  virtual void Pulse() {}
  virtual void Spare() {}

 protected:
  ~QSModuleInterface() = default;
};

// The module's exports, undecorated.
extern "C" {
typedef QSModuleInterface* (*CreateQSModuleInterfaceFunc)(int version);
}
