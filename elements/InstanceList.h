// The live instance elements of the process: a list in creation order, whose
// first is the oldest (each instance links to its neighbours), and a map from
// each client to its instance element. An instance enters itself when it is
// made and leaves when it is deleted; the pulse finds, removes and discards
// them here. Main thread only.
#pragma once

#include <map>

class ISnapshot;
class IVentrilo;
class VentriloInstance;

class InstanceList {
 public:
  // Appends `instance` to the list and maps its client to it.
  static void Enter(VentriloInstance* instance);
  // Takes `instance` out of the list, and out of the map if it is its client's.
  static void Leave(VentriloInstance* instance);

  // The oldest live instance, or null.
  static VentriloInstance* First();
  // The instance element of `client`, or null.
  static VentriloInstance* Find(IVentrilo* client);
  // Destroys, in ascending client address order, the instance of every client
  // that is not a key of `table` (closed and leaving events for each).
  static void DestroyAbsent(const std::map<IVentrilo*, ISnapshot*>& table);
  // Deletes every instance with its tree and raises nothing.
  static void DiscardAll();
};
