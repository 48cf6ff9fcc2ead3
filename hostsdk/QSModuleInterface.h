// The module interface a host drives: initialise once, pulse on the host's main
// thread, shut down once. The module destroys its object itself, so there is no
// virtual destructor.
//
// Layout across the host boundary: the host (built with Microsoft's compiler)
// calls the five operations by slot, in declaration order, and has no slot for
// a destructor; a C++ virtual destructor would add two entries under GCC, so the
// destructor is protected and not virtual. On i686 the operations are
// __thiscall, GCC's default for member functions there; Initialize's bool comes
// back in AL.
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

// The factory export as a host calls it: a plain C function, __cdecl on i686
// (the default of both compilers), exported under its undecorated name.
extern "C" {
typedef QSModuleInterface* (*CreateQSModuleInterfaceFunc)(int version);
}
