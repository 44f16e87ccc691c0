// Registry keys and values, with names and text in UTF-8.
#include "Registry.h"

#include <vector>

#include "FileSystem.h"
#include "SystemCalls.h"

namespace tw::sys {

// ---- Registry --------------------------------------------------------------------------------

LONG RegOpen(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    const SystemText text(subKey);
    key = nullptr;
    return UnicodeSystem() ? TW_CALL(RegOpenKeyExW)(hive, text.W(), 0, access, &key)
                           : RegOpenKeyExA(hive, text.A(), 0, access, &key);
}

LONG RegCreate(HKEY hive, const std::string& subKey, REGSAM access, HKEY& key) {
    const SystemText text(subKey);
    key = nullptr;
    return UnicodeSystem()
               ? TW_CALL(RegCreateKeyExW)(hive, text.W(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                      access, nullptr, &key, nullptr)
               : RegCreateKeyExA(hive, text.A(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &key, nullptr);
}

LONG RegQuery(HKEY key, const std::string& name, RegValue& value) {
    const SystemText text(name);
    value = RegValue();
    value.utf16 = UnicodeSystem();
    const auto query = [&](BYTE* data, DWORD* size) {
        return value.utf16 ? TW_CALL(RegQueryValueExW)(key, text.W(), nullptr, &value.type, data, size)
                           : RegQueryValueExA(key, text.A(), nullptr, &value.type, data, size);
    };
    // The value may grow between the two calls: ask again with the new size.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0;
        LONG result = query(nullptr, &size);
        if (result != ERROR_SUCCESS) return result;
        std::vector<BYTE> buffer(size + 2, 0);
        DWORD got = size;
        result = query(buffer.data(), &got);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return result;
        value.bytes.assign(reinterpret_cast<const char*>(buffer.data()), got);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

std::string RegText(const RegValue& value) {
    // Bytes of another type read as text, as the A calls would give them.
    if (!value.utf16 || (value.type != REG_SZ && value.type != REG_EXPAND_SZ && value.type != REG_MULTI_SZ))
        return FromAnsi(value.bytes.c_str());
    std::vector<wchar_t> wide(value.bytes.size() / 2 + 1, L'\0');
    for (size_t i = 0; i + 1 < value.bytes.size(); i += 2)
        wide[i / 2] = static_cast<wchar_t>(static_cast<unsigned char>(value.bytes[i]) |
                                           static_cast<unsigned char>(value.bytes[i + 1]) << 8);
    return FromWide(wide.data());
}

LONG RegValueName(HKEY key, DWORD index, std::string& name) {
    // Value names are at most 16383 characters.
    constexpr DWORD kCapacity = 16384;
    DWORD length = kCapacity;
    LONG result;
    if (UnicodeSystem()) {
        std::vector<wchar_t> buffer(kCapacity + 1, L'\0');
        result = TW_CALL(RegEnumValueW)(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) name = FromWide(buffer.data(), static_cast<int>(length));
    } else {
        std::vector<char> buffer(kCapacity + 1, '\0');
        result = RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) name = FromAnsi(buffer.data(), static_cast<int>(length));
    }
    return result;
}

LONG RegSetText(HKEY key, const std::string& name, const std::string& text) {
    const SystemText valueName(name);
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        return TW_CALL(RegSetValueExW)(key, valueName.W(), 0, REG_SZ,
                                                    reinterpret_cast<const BYTE*>(wide.data()),
                                                    static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
    }
    const std::string ansi = ToAnsi(text);
    return RegSetValueExA(key, valueName.A(), 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.c_str()),
                          static_cast<DWORD>(ansi.size() + 1));
}

LONG RegDeleteValue(HKEY key, const std::string& name) {
    const SystemText text(name);
    const LONG result = UnicodeSystem() ? TW_CALL(RegDeleteValueW)(key, text.W())
                                        : RegDeleteValueA(key, text.A());
    if (result == ERROR_SUCCESS) ReportChange(Change::RegistryDelete, name);
    return result;
}

}  // namespace tw::sys
