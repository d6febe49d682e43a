#pragma once
// Wide strings inside the system hold UTF-16 code units; the report speaks char16_t.

#include <string>

inline std::u16string toU16(const std::wstring& text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) out += static_cast<char16_t>(c);
    return out;
}

inline std::wstring fromU16(const std::u16string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (char16_t c : text) out += static_cast<wchar_t>(c);
    return out;
}
