#include "package/PackageSummary.h"

#include <cstring>

#include "package/GbkText.h"

namespace {

constexpr char kLineBreak[] = "\r\n";

// A text field up to its first zero byte or its full width.
template <size_t N>
std::string FieldText(const char (&field)[N])
{
    const void* zero = std::memchr(field, 0, N);
    size_t length = zero ? static_cast<const char*>(zero) - field : N;
    return GbkToUtf8(field, length);
}

} // namespace

std::string ComposePackageSummary(const PackageHeader& h)
{
    bool known = std::memcmp(h.magic, kPackageMagic, sizeof h.magic) == 0;
    std::string text = kLineBreak;
    text += known ? "Solution:KT7.0" : "Solution:!Unknown!";
    text += kLineBreak;
    text += "Update Time:" + FieldText(h.updateTime) + kLineBreak;
    text += "Software Ver:SW1.12";
    text += kLineBreak;
    text += "Firmware Ver:" + FieldText(h.firmwareVersion) + kLineBreak;
    text += "Voice Ver:" + FieldText(h.voiceVersion) + kLineBreak;
    text += "Data Ver:" + FieldText(h.dataVersion);
    return text;
}
