// A script type T as a complete object that can be deleted through slot 1.
// The C++ destructor of QSTypeDefinition is not virtual (the host's table has
// room for one destructor entry only), so slot 1 must be overridden by the
// class of the complete object: this one destroys T with all its parts, then
// frees the memory when asked to. Every type object made with new is made as
// QSDeletableType<T>; as a plain member or local it is destroyed as usual.
#pragma once

#include "hostsdk/QSTypeDefinition.h"

template <class T>
class QSDeletableType final : public T {
 public:
  using T::T;

  void* DeletingDestructor(unsigned flags) override {
    this->~QSDeletableType();
    return QSTypeDefinition::FreeDestroyed(this, flags);
  }
};
