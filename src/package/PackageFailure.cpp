#include "package/PackageFailure.h"

#include <cstring>

#include "texts/UserTexts.h"

namespace {

const char* Explanation(PackageProblem problem)
{
    switch (problem) {
    case PackageProblem::kNotFound:
        return kFileNotFound;
    case PackageProblem::kNotRegularFile:
        return kFileNotRegular;
    case PackageProblem::kPermissionDenied:
        return kFilePermissionDenied;
    case PackageProblem::kUnreadable:
        return kFileUnreadable;
    case PackageProblem::kTooBig:
        return kFileTooBig;
    case PackageProblem::kTooShort:
        return kFileTooShort;
    case PackageProblem::kDamaged:
        return kFileDamaged;
    case PackageProblem::kNoMemory:
        return kFileNoMemory;
    case PackageProblem::kNone:
        break;
    }
    return "";
}

} // namespace

PackageProblem ProblemOfParserMessage(const char* message)
{
    if (!message)
        return PackageProblem::kNone;
    if (std::strcmp(message, kMsgPackageTooBig) == 0)
        return PackageProblem::kTooBig;
    if (std::strcmp(message, kMsgNoMemoryForPackage) == 0 || std::strcmp(message, kMsgNoMemoryForMap) == 0)
        return PackageProblem::kNoMemory;
    if (std::strcmp(message, kMsgPackageReadError) == 0)
        return PackageProblem::kTooShort;
    return PackageProblem::kDamaged;
}

std::string PackageFailureText(const PackageFailure& failure, const std::string& path, const char* releaseText)
{
    std::string text = failure.message ? failure.message : "";
    if (failure.problem == PackageProblem::kNone)
        return text;
    text += "\n" + path + "：" + Explanation(failure.problem);
    if (releaseText && releaseText[0] != '\0')
        text += DeviceSpecificFileText(releaseText);
    return text;
}
