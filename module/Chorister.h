// The module object the host drives: Initialize once, Pulse on the host's main
// thread, Shutdown once. It owns the polling thread, which finds the running
// clients and captures a snapshot of each every cycle, and the pending table
// through which the newest cycle reaches the pulse.
//
// Threads and locks: the polling thread takes the module lock only to hand a
// cycle's table over; the pulse holds it for its whole run, event handlers
// included. The polling thread takes the module lock while holding its run
// lock, and the main thread never holds the module lock while stopping the
// thread, so the two locks are never awaited in opposite orders.
#pragma once

#include "hostsdk/QSModuleInterface.h"
#include "module/CWindowsThread.h"
#include "module/EventRegistry.h"
#include "platform/Win32.h"

#include <condition_variable>
#include <cstdint>
#include <map>

struct ElementContext;
class ISnapshot;
class IVentrilo;
class IVentriloLocator;

class Chorister final : public QSModuleInterface {
 public:
  // Instances found in one polling cycle, each with its snapshot or null. The
  // table owns one reference to every instance and every snapshot in it.
  using InstanceTable = std::map<IVentrilo*, ISnapshot*>;

  // The module object, or null while there is none.
  static Chorister* Get();
  // The factory behind CreateQSModuleInterface: the one module object for
  // interface version 23, null for any other version or while one exists.
  static Chorister* Create(int version);
  // Destroys and frees the module object, as unloading the library does.
  // Under Windows' loader lock a polling thread still running is stopped by
  // waiting for its body only: the thread cannot finish exiting meanwhile.
  static void DestroyModule(bool underLoaderLock = false);

  bool Initialize(ScriptHost* host) override;
  void Shutdown() override;
  // Applies the newest handed-over table, if any, to the instance elements.
  void Pulse() override;

  // The polling thread's body: obtains the locator, polls until asked to stop,
  // and releases the locator again.
  void VentriloThreadFunc();
  // One polling cycle with `locator`: collect the instances, snapshot each
  // while no stop is requested, and hand the table over.
  void PollOnce(IVentriloLocator* locator);

  bool IsEventEchoOn() const { return events_.IsEchoOn(); }
  void SetEventEcho(bool on) { events_.SetEcho(on); }

  CWindowsThread& PollingThread() { return thread_; }

  // Hand-overs so far, and a wait for the count to reach `count` (false on
  // timeout). Tests and benchmarks pace themselves on the polling thread so.
  std::uint64_t HandOverCount();
  bool AwaitHandOver(std::uint64_t count, unsigned timeoutMs);

 private:
  Chorister();
  ~Chorister();

  Chorister(const Chorister&) = delete;
  Chorister& operator=(const Chorister&) = delete;

  static DWORD WINAPI ThreadEntry(LPVOID parameter);
  static void ThreadBody();

  // Replaces the pending table with `fresh` (left empty) and sets the new-data
  // flag, under the module lock.
  void HandOver(InstanceTable& fresh);
  // Releases every reference `table` holds and empties it.
  static void ReleaseTable(InstanceTable& table);
  // Installs the six script types; the element kinds' four go to the element
  // model's context, returned for the host and the events.
  ElementContext CreateTypes();
  void DestroyTypes(const ElementContext& context);
  void DestroyInstances();

  // The host's interface object, borrowed from Initialize until the module
  // object is destroyed.
  ScriptHost* host_ = nullptr;
  CRITICAL_SECTION lock_;
  InstanceTable pending_;
  bool newData_ = false;
  // The events, which the element model raises through, with their echo switch.
  EventRegistry events_;
  CWindowsThread thread_;

  CRITICAL_SECTION handOverLock_;
  std::condition_variable_any handOverDone_;
  std::uint64_t handOvers_ = 0;
};

// The module's exports: undecorated C names, exported from the Windows DLL
// (exports.def keeps i686 from decorating them). The factory is __cdecl on
// i686, the default of both compilers for a plain function, as hosts call it;
// QSModule_Version is a 32-bit int the host reads.
#ifdef _WIN32
#define CHORISTER_EXPORT __declspec(dllexport)
#else
#define CHORISTER_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
CHORISTER_EXPORT QSModuleInterface* CreateQSModuleInterface(int version);
CHORISTER_EXPORT extern int QSModule_Version;
}
