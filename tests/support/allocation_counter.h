// Counts heap allocations made through operator new while counting is on.
// Linking allocation_counter.cpp into a test program replaces the global
// operator new and delete of that program (they forward to malloc and free).
//
// Only operator new is counted, not malloc: the sanitizer runtimes intercept
// malloc themselves, so a second malloc in the program would clash with them,
// while a program's own operator new is allowed to replace theirs. It also
// draws the line where the tests want it: our code allocates through new
// (containers, strings, std::function), while the C libraries under it (the
// GL driver, SDL, libc) use malloc and are not ours to account for. Some of
// those libraries are C++ inside (the software GL driver compiles its
// shaders with LLVM, through operator new), so an allocation counts only
// when its caller is this program's own code, directly or through libstdc++.
#pragma once
#include <cstddef>

namespace oruna::test {

// Counts the allocations made while alive; nests (counting stays on until
// the outermost scope ends). Not thread-safe to nest across threads; counts
// allocations from every thread.
class AllocationCount {
 public:
  AllocationCount();
  ~AllocationCount();
  AllocationCount(const AllocationCount&) = delete;
  AllocationCount& operator=(const AllocationCount&) = delete;

  // Allocations since this scope began.
  size_t count() const;

 private:
  size_t start_;
};

}  // namespace oruna::test
