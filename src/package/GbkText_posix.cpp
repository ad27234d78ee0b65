#include "package/GbkText.h"

#include <iconv.h>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

class Converter {
public:
    Converter() : m_cd(iconv_open("UTF-8", "GBK")) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

std::string GbkToUtf8(const char* bytes, size_t length)
{
    std::string out;
    Converter converter;
    size_t i = 0;
    while (i < length) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (!converter.Ok()) {
            out += kReplacement;
            ++i;
            continue;
        }
        // One character at a time: a lead byte and, when present, its trail.
        char buffer[8];
        bool converted = false;
        for (size_t width = 1; width <= 2 && i + width <= length && !converted; ++width) {
            iconv(converter.Handle(), nullptr, nullptr, nullptr, nullptr);
            char* in = const_cast<char*>(bytes + i);
            size_t inLeft = width;
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            if (iconv(converter.Handle(), &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                inLeft == 0) {
                out.append(buffer, outPtr - buffer);
                i += width;
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
