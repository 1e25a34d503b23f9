#pragma once
// The touch policy of an operation made outside a run: a protected set of its own.

#include "engine/ProtectedSet.h"
#include "engine/TouchPolicy.h"

namespace corvale::test {

struct OwnPolicy {
    CProtectedSet protectedFolders;
    CTouchPolicy policy{protectedFolders};
    operator const CTouchPolicy&() const { return policy; }
};

} // namespace corvale::test
