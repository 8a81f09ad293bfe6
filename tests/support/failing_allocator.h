#pragma once
// Lets a test make operator new fail, to see what a caller gets when memory
// runs out. Include it in exactly one source file of a test program: it
// replaces the program's operator new and delete in every form the
// libraries use, so allocation and release always match under ASan. Clang
// links its sanitizer runtimes (operator new included) statically; there
// the runtime's stay and the tests that need failing allocations skip.
#include <cstdlib>
#include <new>

#if defined(__clang__) && defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VC_RUNTIME_OWNS_OPERATOR_NEW
#endif
#endif

#ifdef VC_RUNTIME_OWNS_OPERATOR_NEW
constexpr bool kAllocationsCanFail = false;
#else
constexpr bool kAllocationsCanFail = true;
#endif

inline thread_local bool t_allocationsFail = false;

// While one is alive, every operator new on this thread fails.
struct AllocationsFail {
    AllocationsFail() { t_allocationsFail = true; }
    ~AllocationsFail() { t_allocationsFail = false; }
};

#ifndef VC_RUNTIME_OWNS_OPERATOR_NEW
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return t_allocationsFail ? nullptr : std::malloc(size ? size : 1);
}
void* operator new(std::size_t size)
{
    if (void* p = operator new(size, std::nothrow))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new[](std::size_t size) { return operator new(size); }
// Not inlined: an optimising build would otherwise see free() meet memory
// from operator new and warn.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#endif
