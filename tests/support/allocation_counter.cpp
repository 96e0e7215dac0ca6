// Replaces the global operator new and delete of the test program with ones
// that count while an AllocationCount is alive, keeping only allocations
// asked for by code of this program (see allocation_counter.h).
#include "allocation_counter.h"

#include <dlfcn.h>
#include <link.h>
#include <execinfo.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<int> g_counting{0};
std::atomic<size_t> g_allocations{0};

enum class Origin { kProgram, kStandardLibrary, kElsewhere };

// Where the code at `address` belongs. The program's copies of standard
// library templates count as the standard library: shared libraries call
// them too, since the program's copy of a symbol wins over theirs.
Origin OriginOf(const void* address) {
  static const void* program = nullptr;
  Dl_info info;
  ElfW(Sym)* symbol = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&symbol), RTLD_DL_SYMENT) == 0) return Origin::kElsewhere;
  if (program == nullptr) {
    Dl_info own;
    if (dladdr(reinterpret_cast<const void*>(&OriginOf), &own) != 0) program = own.dli_fbase;
  }
  if (info.dli_fname != nullptr && std::strstr(info.dli_fname, "libstdc++") != nullptr)
    return Origin::kStandardLibrary;
  if (info.dli_fbase != program) return Origin::kElsewhere;
  const auto at = reinterpret_cast<uintptr_t>(address), begin = reinterpret_cast<uintptr_t>(info.dli_saddr);
  const bool inside = symbol != nullptr && info.dli_sname != nullptr && at >= begin && at < begin + symbol->st_size;
  if (inside && (std::strncmp(info.dli_sname, "_ZNSt", 5) == 0 || std::strncmp(info.dli_sname, "_ZNKSt", 6) == 0 ||
                 std::strncmp(info.dli_sname, "_ZSt", 4) == 0))
    return Origin::kStandardLibrary;
  return Origin::kProgram;
}

// True when the allocation was asked for by this program's own code (ours,
// linked statically), directly or through the standard library, rather than
// by a shared library such as the GL driver's shader compiler.
bool FromThisProgram(const void* caller) {
  void* frames[64];
  const int depth = backtrace(frames, 64);
  int i = 0;
  while (i < depth && frames[i] != caller) ++i;
  if (i == depth) return true;  // cannot tell: count it
  for (; i < depth; ++i) {
    const Origin origin = OriginOf(frames[i]);
    if (origin != Origin::kStandardLibrary) return origin == Origin::kProgram;
  }
  return true;
}

[[gnu::noinline]] void Note(const void* caller) {
  if (g_counting.load(std::memory_order_relaxed) <= 0) return;
  // Looking up the caller may itself allocate (the unwinder loads once).
  g_counting.fetch_sub(1000);
  const bool ours = FromThisProgram(caller);
  g_counting.fetch_add(1000);
  if (ours) g_allocations.fetch_add(1, std::memory_order_relaxed);
}

void* Allocate(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void* AllocateAligned(size_t size, std::align_val_t alignment) {
  const size_t align = static_cast<size_t>(alignment);
  // aligned_alloc wants a size that is a multiple of the alignment.
  return std::aligned_alloc(align, (size + align - 1) / align * align);
}

void* AllocateOrThrow(size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}

void* AllocateAlignedOrThrow(size_t size, std::align_val_t alignment) {
  if (void* p = AllocateAligned(size, alignment)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace oruna::test {

AllocationCount::AllocationCount() : start_(g_allocations.load()) { g_counting.fetch_add(1); }
AllocationCount::~AllocationCount() { g_counting.fetch_sub(1); }
size_t AllocationCount::count() const { return g_allocations.load() - start_; }

}  // namespace oruna::test

#define NOTE_CALLER Note(__builtin_return_address(0))

void* operator new(size_t size) {
  NOTE_CALLER;
  return AllocateOrThrow(size);
}
void* operator new[](size_t size) {
  NOTE_CALLER;
  return AllocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  NOTE_CALLER;
  return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  NOTE_CALLER;
  return Allocate(size);
}
void* operator new(size_t size, std::align_val_t a) {
  NOTE_CALLER;
  return AllocateAlignedOrThrow(size, a);
}
void* operator new[](size_t size, std::align_val_t a) {
  NOTE_CALLER;
  return AllocateAlignedOrThrow(size, a);
}
void* operator new(size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  NOTE_CALLER;
  return AllocateAligned(size, a);
}
void* operator new[](size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  NOTE_CALLER;
  return AllocateAligned(size, a);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
