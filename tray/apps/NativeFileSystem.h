// The file system as 64-bit programs see it, for the launches of a 32-bit Lookout on 64-bit
// Windows: there the system shows a 32-bit program SysWOW64 under the name System32, while
// the shell that starts the user's shortcuts is 64-bit and starts what System32 holds.
#pragma once

namespace tw::tray {

// While the object lives, the calling thread's paths name the native folders
// (Wow64DisableWow64FsRedirection, reverted at the end). Does nothing in the 64-bit build and
// where the system has no such call (32-bit Windows). Keep it around the launch only: the
// thread's own DLL loads would look in the native folders too.
class NativeFileSystem {
public:
    NativeFileSystem();
    ~NativeFileSystem();
    NativeFileSystem(const NativeFileSystem&) = delete;
    NativeFileSystem& operator=(const NativeFileSystem&) = delete;

private:
    void* m_previous = nullptr;  // the redirection state to restore
    bool m_turnedOff = false;
};

}  // namespace tw::tray
