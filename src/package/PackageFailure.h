#pragma once
// Why a package could not be loaded: the fixed message the user has always
// seen, and what was wrong with the file, for a second line that says which
// file it was and what to do about it.

#include <string>

enum class PackageProblem {
    kNone,
    kNotFound,
    kNotRegularFile,
    kPermissionDenied,
    kUnreadable,
    kTooBig,
    kTooShort,
    kDamaged,
    kNoMemory,
};

struct PackageFailure {
    const char* message = nullptr;  // null: no failure
    PackageProblem problem = PackageProblem::kNone;

    explicit operator bool() const { return message != nullptr; }
};

// The problem behind a failure of the in-memory parsing steps, which know
// only their message.
PackageProblem ProblemOfParserMessage(const char* message);

// The message box text: the message, then "<path>：<what is wrong>". When a
// device's release number chose the file, `releaseText` names it.
std::string PackageFailureText(const PackageFailure& failure, const std::string& path,
                               const char* releaseText = nullptr);
