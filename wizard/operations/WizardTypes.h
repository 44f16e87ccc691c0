// What the wizard's pages hand to the processing operations: one checked Run value
// (RegItem) and the processing page's progress bar and text (ProgressView).
#pragma once
#include <functional>
#include <string>

namespace tw {

// One Run value checked on the registry page, fields in the order the page stores them.
struct RegItem {
    std::string ShortcutName;  // the row's text: the shortcut to create, without ".lnk"
    std::string HiveName;      // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE"
    std::string CommandLine;   // the value's data as listed
    std::string ValueName;     // the value's name in the Run key
};

// The processing page as the per-item loops see it. `step` runs once before each item
// (progress bar value + 1, then pending window events); `setContent` replaces the page's
// main text. Either may be empty.
struct ProgressView {
    std::function<void()> step;
    std::function<void(const std::string&)> setContent;
};

}  // namespace tw
