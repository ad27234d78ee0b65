#include "package/GbkText.h"

#include <windows.h>

#include "platform/WideText.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr UINT kGbkCodePage = 936;

// The UTF-8 of one GBK character of `width` bytes, or nothing when those
// bytes are not one valid character.
bool ConvertOne(const char* bytes, int width, std::string* out)
{
    wchar_t wide[2];
    const int length = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, width, wide, 2);
    if (length <= 0)
        return false;
    out->append(WideToUtf8(std::wstring_view(wide, static_cast<size_t>(length))));
    return true;
}

} // namespace

std::string GbkToUtf8(const char* bytes, size_t length)
{
    std::string out;
    size_t i = 0;
    while (i < length) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // One character at a time: a lead byte and, when present, its trail.
        bool converted = false;
        for (int width = 1; width <= 2 && i + width <= length && !converted; ++width) {
            if (ConvertOne(bytes + i, width, &out)) {
                i += static_cast<size_t>(width);
                converted = true;
            }
        }
        if (!converted) {
            out += kReplacement;
            ++i;
        }
    }
    return out;
}
