// Tests that run the engine out of nodes set a lower limit for one scope.
#pragma once

#include <cstdint>

#include "engine/MathTree.h"

class TNodeLimit {
public:
    explicit TNodeLimit(std::int32_t limit) : Saved(MaxNodeInstances) { MaxNodeInstances = limit; }
    ~TNodeLimit() { MaxNodeInstances = Saved; }
    TNodeLimit(const TNodeLimit&) = delete;
    TNodeLimit& operator=(const TNodeLimit&) = delete;

private:
    std::int32_t Saved;
};
