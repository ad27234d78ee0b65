#include "cli/Options.h"

#include <algorithm>
#include <string_view>

const char kCliHelpText[] =
    "Usage: kt7-flash VERB [OPTIONS] [FILE|DIR]\n"
    "\n"
    "Updates speed-camera warning devices (USB HID 0416:b500) from an update\n"
    "package: FILE, or KT7_Down.dat in DIR (KT7_DownXXXX.dat for a device whose\n"
    "release number XXXX selects its own package). Without either, the package\n"
    "is looked for in the program's own directory, then in the current one.\n"
    "\n"
    "Verbs:\n"
    "  list            each attached device: index, location (where it is plugged\n"
    "                  in, e.g. 1-2.3, the USB port path), path, release number, the\n"
    "                  package file and command set it selects, and its serial\n"
    "                  number when it has one\n"
    "  info [FILE|DIR] the package summary as the welcome page shows it, and the\n"
    "                  package checks the update makes before it writes anything\n"
    "  update [FILE|DIR]\n"
    "                  the whole update: load the package, check for devices,\n"
    "                  refresh the boot loader when it is too old, erase and write\n"
    "                  every area on every attached device; one update at a time\n"
    "                  per machine, and Ctrl-C waits until the devices are done\n"
    "\n"
    "Options:\n"
    "  --dir DIR       the same as giving DIR: look for the package there\n"
    "  --parallel      update: every device at once, each with its own worker,\n"
    "                  release probe, package and command set; one failing\n"
    "                  does not stop the others; a table of results at the end\n"
    "  --verify        update: read every area and control block back from the\n"
    "                  devices after writing it and compare; a device that\n"
    "                  holds something else fails (the update takes longer)\n"
    "  --watch         update: stay running and update each device as it is\n"
    "                  plugged in, as --parallel does, several at once; a device\n"
    "                  done (whatever its result) is left alone until it is\n"
    "                  unplugged and plugged in again; Ctrl-C ends the watch,\n"
    "                  after the devices being updated are done\n"
    "  --device LOC    update: only the device at location LOC (as list shows\n"
    "                  it); may be given more than once; without it every\n"
    "                  attached device is updated; with --watch, only devices\n"
    "                  plugged in there, which need not be there yet\n"
    "  --json          standard output as JSON, for scripts: list an array, info\n"
    "                  one object, update one object per line (run start,\n"
    "                  steps, progress, messages, each device's result, run\n"
    "                  end), each flushed as it happens; update shows no\n"
    "                  progress on standard error then. docs/json.md has the\n"
    "                  fields\n"
    "  -h, --help      this text\n"
    "\n"
    "Output: the list, the summary and the devices' results on standard output\n"
    "(with --json, JSON and nothing else); messages and progress on standard\n"
    "error. Diagnostics go to the log, $XDG_STATE_HOME/kt7-updater/kt7-updater.log\n"
    "(~/.local/state when unset);\n"
    "the logs of the last four runs before are kept as .log.1 to .log.4.\n"
    "Smpl_HIDTransfer.bin, the boot-loader image, is looked for beside the\n"
    "package, then in the program's own directory.\n"
    "\n"
    "Exit codes:\n"
    "  0   success\n"
    "  1   the package could not be loaded\n"
    "  2   no device attached (list too), a --device location with no\n"
    "      device, or devices of different kinds attached\n"
    "  3   the boot-loader refresh was refused or failed\n"
    "  4   the update failed\n"
    "  5   another update is running\n"
    "  64  bad command line or bad KT7_SIMULATE setting\n"
    "  74  simulated devices: the run succeeded, but their flash images or\n"
    "      trace could not be saved\n"
    "\n"
    "Environment:\n"
    "  KT7_SIMULATE    use simulated devices instead of real ones: a ';'-separated\n"
    "                  list of key=value, e.g. \"devices=2;timing=usb;flash=/tmp/f\".\n"
    "                  Keys: devices, release, others, version, timing, reattach,\n"
    "                  arrive, flash, trace, unplug, stall, noreattach, badpage,\n"
    "                  corrupt\n"
    "                  (see the README).\n";

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
        } else if (arg.starts_with("-")) {
            *error = "unknown option " + std::string(arg);
            return std::nullopt;
        } else if (options.verb.empty()) {
            options.verb = arg;
        } else if ((options.verb == "info" || options.verb == "update") && !options.file) {
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
    if (options.verb != "list" && options.verb != "info" && options.verb != "update") {
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
    if (!options.devices.empty() && options.verb != "update") {
        *error = "--device is an option of update";
        return std::nullopt;
    }
    return options;
}
