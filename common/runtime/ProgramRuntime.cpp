// What the shipped programs replace of the C++ runtime to stay small. Their code is built
// without exceptions (none may unwind through the system's frames anyway), so the library's
// exception machinery - the unwinder, the exception classes and the second string
// implementation they carry, the threading library their locks need - is left out by
// defining here the few entry points that would bring it in:
//   - allocation: operator new and delete over malloc and free; a request that cannot be met
//     ends the program with a message, as an exception nobody can catch would;
//   - the library's error reports (std::__throw_*), made by the inline code of strings,
//     vectors and std::function on a length, range or call that cannot be: the same;
//   - the catch and resume entry points and the personality routines that the library's own
//     compiled string code and the link-time optimised code name in their (never entered)
//     clean-up paths;
//   - the terminate handler, which would print the exception's type with the name demangler.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <new>

namespace {

[[noreturn]] void Fatal(const char* text) {
    // The system's message box for a program that cannot go on, then the end of the process.
    FatalAppExitA(0, text);
    ExitProcess(3);
}

void* Allocate(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    Fatal("Out of memory.");
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace std {
void __throw_bad_alloc() { Fatal("Out of memory."); }
void __throw_bad_array_new_length() { Fatal("Out of memory."); }
void __throw_length_error(const char*) { Fatal("Internal error: length."); }
void __throw_logic_error(const char*) { Fatal("Internal error: logic."); }
void __throw_out_of_range(const char*) { Fatal("Internal error: range."); }
void __throw_out_of_range_fmt(const char*, ...) { Fatal("Internal error: range."); }
void __throw_invalid_argument(const char*) { Fatal("Internal error: argument."); }
void __throw_bad_function_call() { Fatal("Internal error: empty function."); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

extern "C" {
void* __cxa_begin_catch(void*) noexcept { std::abort(); }
void __cxa_end_catch() { std::abort(); }
void __cxa_rethrow() { std::abort(); }
void _Unwind_Resume(void*) { std::abort(); }
// The C personality is what code optimised across files at link time names for clean-ups.
#if defined(__SEH__)
void __gxx_personality_seh0() { std::abort(); }
void __gcc_personality_seh0() { std::abort(); }
#else
void __gxx_personality_v0() { std::abort(); }
void __gcc_personality_v0() { std::abort(); }
#endif
}
