#pragma once

#include <cstddef>

// Counts heap allocations made by the calling thread while a scope is open, so a
// test can prove that a real-time path allocates nothing. Other threads (the test
// framework, the message thread) are not counted.
namespace toravel::test
{
struct AllocationCounter
{
    AllocationCounter();
    ~AllocationCounter();
    std::size_t count() const;

    AllocationCounter (const AllocationCounter&) = delete;
    AllocationCounter& operator= (const AllocationCounter&) = delete;
};
} // namespace toravel::test
