#include "elements/ElementContext.h"

namespace {

ElementContext current;

}  // namespace

const ElementContext& ElementContext::Get() { return current; }

void ElementContext::Install(const ElementContext& context) { current = context; }
