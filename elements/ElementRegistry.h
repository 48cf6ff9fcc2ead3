// Every live element by its id, so that scripts can name an element by id (the
// Data word of its ObjectRef) and find it only while it lives: ids are never
// reused. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

class VentriloElement;

class ElementRegistry {
 public:
  // Enters `element` under `id`, replacing any entry of that id.
  static void Enter(std::uint32_t id, VentriloElement* element);
  // Removes the entry of `id` if it names `element`.
  static void Leave(std::uint32_t id, const VentriloElement* element);
  // The live element with this id, or null.
  static VentriloElement* Find(std::uint32_t id);
  static std::size_t Count();
};
