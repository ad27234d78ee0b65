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

PackageSummaryFields SummaryFieldsOf(const PackageHeader& h)
{
    const bool known = std::memcmp(h.magic, kPackageMagic, sizeof h.magic) == 0;
    return {known ? "KT7.0" : "!Unknown!", FieldText(h.updateTime), "SW1.12",
            FieldText(h.firmwareVersion), FieldText(h.voiceVersion), FieldText(h.dataVersion)};
}

std::string ComposePackageSummary(const PackageHeader& h)
{
    const PackageSummaryFields fields = SummaryFieldsOf(h);
    std::string text = kLineBreak;
    text += "Solution:" + fields.solution + kLineBreak;
    text += "Update Time:" + fields.updateTime + kLineBreak;
    text += "Software Ver:" + fields.softwareVersion + kLineBreak;
    text += "Firmware Ver:" + fields.firmwareVersion + kLineBreak;
    text += "Voice Ver:" + fields.voiceVersion + kLineBreak;
    text += "Data Ver:" + fields.dataVersion;
    return text;
}
