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

// The value of an option given as "--name VALUE" or "--name=VALUE" at
// argv[*i] (which `arg` is), moving *i past it; none, with the usage error,
// when it is missing or empty.
std::optional<std::string> OptionValue(std::string_view name, std::string_view arg, int argc, char** argv, int* i,
                                       const char* what, std::string* error)
{
    std::string value;
    if (arg == name) {
        if (*i + 1 < argc)
            value = argv[++*i];
    } else {
        value = std::string(arg.substr(name.size() + 1));
    }
    if (value.empty()) {
        *error = std::string(name) + " needs " + what;
        return std::nullopt;
    }
    return value;
}

bool IsOption(std::string_view arg, std::string_view name)
{
    return arg == name || (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
}

// Which verb the options of the records, retries and bell go with.
std::optional<std::string> RecordsOptionError(const CliOptions& options)
{
    const bool update = options.verb == "update";
    const bool records = options.verb == "records";
    if (options.records && !update && !records)
        return "--records goes with update or records";
    if (options.noRecords && !update)
        return "--no-records goes with update";
    if (options.noRecords && options.records)
        return "give either --records FILE or --no-records, not both";
    if (options.station && !update)
        return "--station goes with update";
    if (options.retry > 0 && !options.parallel)
        return "--retry goes with update --parallel or --watch";
    if (options.bell && !update)
        return "--bell goes with update";
    if ((options.since || options.csv) && !records)
        return std::string(options.since ? "--since" : "--csv") + " goes with records";
    if (records && (options.json || options.file || options.dir))
        return options.json ? "records does not take --json: the records file is JSON lines already"
                            : "records takes no package; --records FILE names the records file";
    return std::nullopt;
}

// --retry's count: 0 to kMaxRetries.
std::optional<int> RetryCount(const std::string& text)
{
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int count = std::stoi(text);
    if (count > kMaxRetries)
        return std::nullopt;
    return count;
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
        } else if (IsOption(arg, "--expect-sha256")) {
            const std::optional<std::string> value = OptionValue(
                "--expect-sha256", arg, argc, argv, &i, "a SHA-256 of 64 hex digits (as 'kt7-flash info' shows it)", error);
            if (!value)
                return std::nullopt;
            const std::optional<std::string> sha256 = Sha256Argument(*value);
            if (!sha256) {
                *error = "--expect-sha256 needs a SHA-256 of 64 hex digits (as 'kt7-flash info' shows it), not '" +
                         *value + "'";
                return std::nullopt;
            }
            if (std::find(options.expectedSha256.begin(), options.expectedSha256.end(), *sha256) ==
                options.expectedSha256.end())
                options.expectedSha256.push_back(*sha256);
        } else if (IsOption(arg, "--records")) {
            if (!(options.records = OptionValue("--records", arg, argc, argv, &i, "a file", error)))
                return std::nullopt;
        } else if (arg == "--no-records") {
            options.noRecords = true;
        } else if (IsOption(arg, "--station")) {
            if (!(options.station = OptionValue("--station", arg, argc, argv, &i, "a name", error)))
                return std::nullopt;
        } else if (IsOption(arg, "--retry")) {
            const std::optional<std::string> count = OptionValue("--retry", arg, argc, argv, &i, "a count", error);
            if (!count)
                return std::nullopt;
            const std::optional<int> retry = RetryCount(*count);
            if (!retry) {
                *error = "--retry takes a count from 0 to " + std::to_string(kMaxRetries);
                return std::nullopt;
            }
            options.retry = *retry;
        } else if (arg == "--bell") {
            options.bell = true;
        } else if (IsOption(arg, "--since")) {
            if (!(options.since = OptionValue("--since", arg, argc, argv, &i, "a date (today or YYYY-MM-DD)", error)))
                return std::nullopt;
        } else if (arg == "--csv") {
            options.csv = true;
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
    if (options.verb != "list" && options.verb != "info" && options.verb != "update" && options.verb != "status" &&
        options.verb != "records") {
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
    if (const std::optional<std::string> refused = RecordsOptionError(options)) {
        *error = *refused;
        return std::nullopt;
    }
    return options;
}
