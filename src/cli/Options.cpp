#include "cli/Options.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

// A SHA-256 as 64 hex digits in either case, lowercased; nullopt for anything else.
std::optional<std::string> Sha256Argument(std::string_view text)
{
    if (text.size() != 64)
        return std::nullopt;
    std::string hex;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        hex += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return hex;
}

} // namespace

std::optional<CliOptions> ParseCliOptions(int argc, char** argv, std::string* error)
{
    CliOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--parallel") {
            options.parallel = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--verify") {
            options.verify = true;
        } else if (arg == "--watch") {
            options.watch = true;
            options.parallel = true;
        } else if (arg == "--dir") {
            if (i + 1 >= argc) {
                *error = "--dir needs a directory";
                return std::nullopt;
            }
            options.dir = argv[++i];
        } else if (arg.starts_with("--dir=")) {
            options.dir = std::string(arg.substr(6));
        } else if (arg == "--device" || arg.starts_with("--device=")) {
            std::string location;
            if (arg == "--device") {
                if (i + 1 >= argc) {
                    *error = "--device needs a location";
                    return std::nullopt;
                }
                location = argv[++i];
            } else {
                location = std::string(arg.substr(9));
            }
            if (location.empty()) {
                *error = "--device needs a location";
                return std::nullopt;
            }
            if (std::find(options.devices.begin(), options.devices.end(), location) == options.devices.end())
                options.devices.push_back(location);
        } else if (arg == "--expect-sha256" || arg.starts_with("--expect-sha256=")) {
            std::string_view value;
            if (arg == "--expect-sha256") {
                if (i + 1 < argc)
                    value = argv[++i];
            } else {
                value = arg.substr(16);
            }
            const std::optional<std::string> sha256 = Sha256Argument(value);
            if (!sha256) {
                *error = "--expect-sha256 needs a SHA-256 of 64 hex digits (as 'kt7-flash info' shows it), not '" +
                         std::string(value) + "'";
                return std::nullopt;
            }
            if (std::find(options.expectedSha256.begin(), options.expectedSha256.end(), *sha256) ==
                options.expectedSha256.end())
                options.expectedSha256.push_back(*sha256);
        } else if (arg.starts_with("-")) {
            *error = "unknown option " + std::string(arg);
            return std::nullopt;
        } else if (options.verb.empty()) {
            options.verb = arg;
        } else if ((options.verb == "info" || options.verb == "update" || options.verb == "status") && !options.file) {
            options.file = std::string(arg);
        } else {
            *error = "unexpected argument " + std::string(arg);
            return std::nullopt;
        }
    }
    if (options.help)
        return options;
    if (options.verb.empty()) {
        *error = "no verb given";
        return std::nullopt;
    }
    if (options.verb != "list" && options.verb != "info" && options.verb != "update" && options.verb != "status") {
        *error = "unknown verb " + options.verb;
        return std::nullopt;
    }
    if (options.file && options.dir) {
        *error = "give the package either as an argument or with --dir, not both";
        return std::nullopt;
    }
    if (options.watch && options.verb != "update") {
        *error = "--watch goes with update";
        return std::nullopt;
    }
    if (options.watch && options.json) {
        *error = "--watch does not go with --json";
        return std::nullopt;
    }
    if (options.parallel && options.verb != "update") {
        *error = "--parallel goes with update";
        return std::nullopt;
    }
    if (options.verify && options.verb != "update") {
        *error = "--verify goes with update";
        return std::nullopt;
    }
    if (!options.devices.empty() && options.verb != "update" && options.verb != "status") {
        *error = "--device is an option of update and status";
        return std::nullopt;
    }
    if (!options.expectedSha256.empty() && options.verb == "list") {
        *error = "--expect-sha256 goes with info, update and status";
        return std::nullopt;
    }
    return options;
}
