#include "package/PackageFailure.h"

#include <cstring>

#include "package/PackageMessages.h"

namespace {

const char* Explanation(PackageProblem problem)
{
    switch (problem) {
    case PackageProblem::kNotFound:
        return "找不到该文件";
    case PackageProblem::kNotRegularFile:
        return "不是普通文件，请选择升级文件本身";
    case PackageProblem::kPermissionDenied:
        return "没有读取该文件的权限";
    case PackageProblem::kUnreadable:
        return "读取该文件时出错";
    case PackageProblem::kTooBig:
        return "文件太大，不是升级文件";
    case PackageProblem::kTooShort:
        return "文件太短，已损坏，请重新下载升级文件";
    case PackageProblem::kDamaged:
        return "文件已损坏，请重新下载升级文件";
    case PackageProblem::kNoMemory:
        return "内存不足";
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
        text += std::string("（版本号为 ") + releaseText + " 的设备只用这个专用的升级文件）";
    return text;
}
