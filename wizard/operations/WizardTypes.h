// What the wizard's pages hand to the processing operations: one checked Run value
// (RegItem, with the registry view it was listed from) and the processing page's progress
// bar and text (ProgressView).
#pragma once
#include <functional>
#include <string>

namespace tw {

// The half of the registry a Run key was read from. 64-bit Windows keeps the machine's Run
// key twice: the native view, and the 32-bit view that 32-bit programs see (the key under
// Software\WOW6432Node). The current user's Run key is one key in both views, and on 32-bit
// Windows there is only one view: such keys are opened without a view (Shared).
enum class RegView { Shared, Native, Wow32 };

// One Run value checked on the registry page, fields in the order the page stores them.
struct RegItem {
    std::string ShortcutName;  // the row's text: the shortcut to create, without ".lnk"
    std::string HiveName;      // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE"
    std::string CommandLine;   // the value's data as listed
    std::string ValueName;     // the value's name in the Run key
    RegView View = RegView::Shared;  // the view of the hive's Run key that holds it
};

// The processing page as the per-item loops see it. `step` runs once before each item
// (progress bar value + 1, then pending window events); `setContent` replaces the page's
// main text. Either may be empty.
struct ProgressView {
    std::function<void()> step;
    std::function<void(const std::string&)> setContent;
};

}  // namespace tw
