#include <string>

#include "AsaApi/Text.h"
#include "emuhost/Misuse.h"
#include "emuhost/WideText.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point from wide text; UTF-16 pairs when wchar_t is 16-bit.
// Lone surrogates pass through as they are, so text the engine holds
// malformed stays malformed (and is refused by strict UTF-8 consumers).
char32_t DecodeWide(const wchar_t* text, int count, int& index) {
    auto unit = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[index++]));
    if constexpr (sizeof(wchar_t) == 2) {
        if (unit >= 0xD800 && unit <= 0xDBFF && index < count) {
            auto low =
                static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(text[index]));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++index;
                return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    }
    return unit > 0x10FFFF ? kReplacement : unit;
}

// Writes one code point as UTF-8 through `put`, one unit per call.
template <typename Put>
void EncodeUtf8(char32_t cp, Put&& put) {
    if (cp < 0x80) {
        put(static_cast<char8_t>(cp));
    } else if (cp < 0x800) {
        put(static_cast<char8_t>(0xC0 | (cp >> 6)));
        put(static_cast<char8_t>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        put(static_cast<char8_t>(0xE0 | (cp >> 12)));
        put(static_cast<char8_t>(0x80 | ((cp >> 6) & 0x3F)));
        put(static_cast<char8_t>(0x80 | (cp & 0x3F)));
    } else {
        put(static_cast<char8_t>(0xF0 | (cp >> 18)));
        put(static_cast<char8_t>(0x80 | ((cp >> 12) & 0x3F)));
        put(static_cast<char8_t>(0x80 | ((cp >> 6) & 0x3F)));
        put(static_cast<char8_t>(0x80 | (cp & 0x3F)));
    }
}

// Converts wide text to UTF-8, handing each unit to `put`; as the engine's converter, it needs
// no buffer of its own.
template <typename Put>
void WideToUtf8(const wchar_t* source, int count, Put&& put) {
    for (int i = 0; i < count;) {
        // Negative units (signed wchar_t) wrap far above 0x80 and take the general path.
        const auto unit = static_cast<char32_t>(source[i]);
        if (unit < 0x80) {  // the common case, one unit each way
            put(static_cast<char8_t>(unit));
            ++i;
            continue;
        }
        EncodeUtf8(DecodeWide(source, count, i), put);
    }
}

std::u8string WideToUtf8(const wchar_t* source, int count) {
    std::u8string out;
    WideToUtf8(source, count, [&out](char8_t unit) { out.push_back(unit); });
    return out;
}

// Malformed UTF-8 decodes to U+FFFD, one per offending byte.
char32_t DecodeUtf8(const UTF8CHAR* text, int count, int& index) {
    unsigned char lead = text[index++];
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead <= 0xF4  ? 3
                : lead >= 0xE0                ? 2
                : lead >= 0xC2 && lead < 0xE0 ? 1
                                              : -1;
    if (extra < 0 || index + extra > count) return kReplacement;
    char32_t cp = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        unsigned char next = text[index + k];
        if ((next & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kReplacement;
    index += extra;
    return cp;
}

template <typename Put>
void Utf8ToWide(const UTF8CHAR* source, int count, Put&& put) {
    for (int i = 0; i < count;) {
        char32_t cp = DecodeUtf8(source, count, i);
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            cp -= 0x10000;
            put(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            put(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            put(static_cast<wchar_t>(cp));
        }
    }
}

std::wstring Utf8ToWide(const UTF8CHAR* source, int count) {
    std::wstring out;
    Utf8ToWide(source, count, [&out](wchar_t unit) { out.push_back(unit); });
    return out;
}

// A sink that counts the units a conversion produces.
struct UnitCounter {
    int32 count = 0;
    template <typename Unit>
    void operator()(Unit) {
        ++count;
    }
};

// A sink that writes at most `length` units into `target` and drops the rest.
template <typename Target>
struct BoundedWriter {
    Target* target;
    int32 length;
    int32 written = 0;
    template <typename Unit>
    void operator()(Unit unit) {
        if (written < length) target[written] = static_cast<Target>(unit);
        ++written;
    }
};

// The engine reads the source whatever it is; so does the emulator, after telling misuse apart.
void CheckSource(const void* source, int32 sourceLength, const char* call) {
    const auto name = [call] { return std::string("UE::Core::Private::") + call; };
    if (source == nullptr) emuhost::AbortOnMisuse(name() + " from a null pointer");
    if (sourceLength < 0) emuhost::AbortOnMisuse(name() + " with a negative length");
    emuhost::RequireUnreleased(source, call);
}

void CheckTarget(const void* target, int32 targetLength) {
    if (target == nullptr || targetLength < 0)
        emuhost::AbortOnMisuse("UE::Core::Private::Convert into no target");
}

}  // namespace

namespace UE::Core::Private {

int32 GetConvertedLength(const UTF8CHAR*, const wchar_t* source, int32 sourceLength) {
    CheckSource(source, sourceLength, "GetConvertedLength");
    UnitCounter counter;
    WideToUtf8(source, sourceLength, counter);
    return counter.count;
}

void Convert(UTF8CHAR* target, int32 targetLength, const wchar_t* source, int32 sourceLength) {
    CheckSource(source, sourceLength, "Convert");
    CheckTarget(target, targetLength);
    WideToUtf8(source, sourceLength, BoundedWriter<UTF8CHAR>{target, targetLength});
}

int32 GetConvertedLength(const wchar_t*, const UTF8CHAR* source, int32 sourceLength) {
    CheckSource(source, sourceLength, "GetConvertedLength");
    UnitCounter counter;
    Utf8ToWide(source, sourceLength, counter);
    return counter.count;
}

void Convert(wchar_t* target, int32 targetLength, const UTF8CHAR* source, int32 sourceLength) {
    CheckSource(source, sourceLength, "Convert");
    CheckTarget(target, targetLength);
    Utf8ToWide(source, sourceLength, BoundedWriter<wchar_t>{target, targetLength});
}

}  // namespace UE::Core::Private

namespace emuhost {

std::string ToUtf8(const wchar_t* text, int count) {
    if (text == nullptr || count <= 0) return {};
    auto utf8 = WideToUtf8(text, count);
    return {utf8.begin(), utf8.end()};
}

std::string ToUtf8(const FString& text) {
    return ToUtf8(text.Data, text.ArrayNum > 0 ? text.ArrayNum - 1 : 0);
}

std::wstring ToWide(const std::string& text) {
    return Utf8ToWide(reinterpret_cast<const UTF8CHAR*>(text.data()),
                      static_cast<int>(text.size()));
}

}  // namespace emuhost
