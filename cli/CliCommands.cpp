// SPDX-License-Identifier: MIT
// The verbs of vidscope-cli: the table that dispatches them and the ones that only report.
#include "cli/CliCommands.h"

#include <cstdio>

#include "base/TerminalText.h"
#include "cli/CameraSession.h"
#include "cli/CaptureCommands.h"
#include "cli/CliArgs.h"
#include "cli/CliError.h"
#include "cli/ControlTable.h"
#include "cli/DeviceCommands.h"
#include "cli/JsonWriter.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

struct Verb {
    const char* name;
    const char* usage;
    const char* help;
    int (*run)(const std::vector<std::string>& words);
};

const char* speedName(unsigned speed) {
    switch (speed) {
        case 3:
            return "super speed";
        case 2:
            return "high speed";
        default:
            return "full speed";
    }
}

const std::vector<Verb>& verbs();

void printVerbHelp(const Verb& verb) {
    std::printf("usage: vidscope-cli %s\n\n%s\n", verb.usage, verb.help);
    if (std::string(verb.name) == "get" || std::string(verb.name) == "set") {
        std::printf("\ncontrols:\n");
        for (const Control& control : ControlTable::all())
            std::printf("  %-16s %s\n", control.name, control.description);
    }
}

}  // namespace

int CliCommands::run(const std::vector<std::string>& args) {
    const Verb* verb = nullptr;
    for (const Verb& candidate : verbs()) {
        if (args[0] == candidate.name)
            verb = &candidate;
    }
    try {
        if (verb == nullptr)
            throw UsageError("unknown command \"" + base::printableText(args[0]) +
                             "\"; see --help");
        const std::vector<std::string> words(args.begin() + 1, args.end());
        for (const std::string& word : words) {
            if (word == "--help") {
                printVerbHelp(*verb);
                return 0;
            }
        }
        return verb->run(words);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vidscope-cli: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vidscope-cli: %s\n", error.what());
        return 1;
    }
}

bool CliCommands::attachVirtual(const std::string& codes) {
    if (CameraAttachVirtual(codes.c_str()) < 0) {
        std::fprintf(stderr, "vidscope-cli: %s\n",
                     ApiError::fromLastError("attaching virtual cameras").what());
        return false;
    }
    return true;
}

void CliCommands::printUsage() {
    std::puts("usage: vidscope-cli [--virtual-camera CODE[,CODE...]] COMMAND [ARGS]\n\ncommands:");
    for (const Verb& verb : verbs())
        std::printf("  %s\n", verb.usage);
    std::puts(
        "\nEvery command takes --help; the reporting ones take --json. Exit status: 0 done,\n"
        "1 the camera or a file failed, 2 bad usage.\n"
        "VIDSCOPE_VIRTUAL_CAMERAS=3E00,0500 asks for virtual cameras by device code, as does\n"
        "--virtual-camera. VIDSCOPE_LOG=\"api=debug\" switches log categories.");
}

int CliCommands::list(const std::vector<std::string>& words) {
    const CliArgs args(words, {}, {"--json"});
    args.expectCount(0, 0, "list [--json]");
    const int count = CameraGetCount();
    JsonWriter json;
    json.beginArray();
    if (!args.has("--json"))
        std::printf("%d camera(s)\n", count);
    for (int i = 0; i < count; ++i) {
        const CameraName name = CameraSession::nameOf(i);
        if (args.has("--json")) {
            json.beginObject();
            json.key("index");
            json.value(i);
            json.key("device_code");
            json.value(name.deviceCode);
            json.key("name");
            json.value(name.display);
            json.key("short_name");
            json.value(name.shortName);
            json.endObject();
        } else {
            std::printf("%3d  %04X  %-12s %s\n", i, name.deviceCode,
                        base::printableText(name.shortName).c_str(),
                        base::printableText(name.display).c_str());
        }
    }
    json.endArray();
    if (args.has("--json"))
        std::puts(json.text().c_str());
    return 0;
}

int CliCommands::info(const std::vector<std::string>& words) {
    const CliArgs args(words, {}, {"--json"});
    args.expectCount(1, 1, "info INDEX [--json]");
    const CameraSession camera(CameraSession::parseIndex(args.positional()[0]));
    const int index = camera.index();
    const CameraName name = CameraSession::nameOf(index);
    unsigned version = 0;
    unsigned speed = 0;
    require(CameraGetFirmVersion(index, &version), "CameraGetFirmVersion");
    require(CameraGetUSBSpeed(index, &speed), "CameraGetUSBSpeed");
    const int count = CameraGetResolutionCount(index);
    require(count >= 0, "CameraGetResolutionCount");
    std::vector<std::pair<unsigned, unsigned>> sizes;
    for (int i = 0; i < count; ++i) {
        unsigned width = 0;
        unsigned height = 0;
        require(
            CameraGetResolution(index, static_cast<unsigned short>(i), &width, &height, nullptr),
            "CameraGetResolution");
        sizes.emplace_back(width, height);
    }
    if (!args.has("--json")) {
        std::printf("%s\ndevice code %04X, firmware %08X, %s\nresolutions:",
                    base::printableText(name.display).c_str(), name.deviceCode, version,
                    speedName(speed));
        for (size_t i = 0; i < sizes.size(); ++i)
            std::printf(" %zu:%ux%u", i, sizes[i].first, sizes[i].second);
        std::printf("\n");
        return printControls(index, {}, false);
    }
    JsonWriter json;
    json.beginObject();
    json.key("name");
    json.value(name.display);
    json.key("short_name");
    json.value(name.shortName);
    json.key("device_code");
    json.value(name.deviceCode);
    json.key("firmware");
    json.value(version);
    json.key("usb_speed");
    json.value(speedName(speed));
    json.key("resolutions");
    json.beginArray();
    for (const auto& [width, height] : sizes)
        json.numbers({double(width), double(height)});
    json.endArray();
    json.key("controls");
    writeControls(index, {}, &json);
    json.endObject();
    std::puts(json.text().c_str());
    return 0;
}

std::vector<const Control*> CliCommands::readableControls(const std::vector<std::string>& names) {
    std::vector<const Control*> controls;
    for (const std::string& name : names) {
        const Control* control = ControlTable::find(name);
        if (control == nullptr)
            throw UsageError("unknown control \"" + base::printableText(name) +
                             "\"; see: vidscope-cli get --help");
        if (control->get == nullptr)
            throw UsageError(name + " cannot be read back from the camera");
        controls.push_back(control);
    }
    if (names.empty()) {
        for (const Control& control : ControlTable::all()) {
            if (control.get != nullptr)
                controls.push_back(&control);
        }
    }
    return controls;
}

void CliCommands::writeControls(int camera, const std::vector<std::string>& names,
                                JsonWriter* json) {
    if (json != nullptr)
        json->beginObject();
    for (const Control* control : readableControls(names)) {
        std::vector<double> values;
        if (!control->get(camera, values))
            throw ApiError::fromLastError(std::string("reading ") + control->name);
        if (json == nullptr) {
            std::printf("%s=%s\n", control->name, ControlTable::format(*control, values).c_str());
            continue;
        }
        json->key(control->name);
        if (control->arity == 1)
            json->value(values[0]);
        else
            json->numbers(values);
    }
    if (json != nullptr)
        json->endObject();
}

int CliCommands::printControls(int camera, const std::vector<std::string>& names, bool json) {
    JsonWriter writer;
    writeControls(camera, names, json ? &writer : nullptr);
    if (json)
        std::puts(writer.text().c_str());
    return 0;
}

int CliCommands::get(const std::vector<std::string>& words) {
    const CliArgs args(words, {}, {"--json"});
    args.expectCount(1, 1000, "get INDEX [CONTROL...] [--json]");
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const std::vector<std::string> names(args.positional().begin() + 1, args.positional().end());
    // Unknown names are bad usage before the camera is opened.
    for (const std::string& name : names) {
        if (ControlTable::find(name) == nullptr)
            throw UsageError("unknown control \"" + base::printableText(name) +
                             "\"; see: vidscope-cli get --help");
    }
    const CameraSession camera(index);
    return printControls(camera.index(), names, args.has("--json"));
}

int CliCommands::set(const std::vector<std::string>& words) {
    const CliArgs args(words, {"--store"}, {"--json"});
    args.expectCount(2, 1000, "set INDEX CONTROL=VALUE... [--store GROUP] [--json]");
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const std::vector<std::string> assignments(args.positional().begin() + 1,
                                               args.positional().end());
    std::vector<std::string> names;
    for (const std::string& word : assignments) {
        const Control* control = ControlTable::parseAssignment(word).first;
        if (control->get != nullptr)
            names.push_back(control->name);
    }
    const int group = args.hasValue("--store")
                          ? static_cast<int>(CliArgs::integer(args.value("--store"), 0, 1, "group"))
                          : -1;
    const CameraSession camera(index);
    ControlTable::apply(camera.index(), assignments);
    if (group >= 0)
        require(CameraSaveParameter(camera.index(), group), "CameraSaveParameter");
    // What the camera holds now, which may differ from the request (a capped delay).
    return names.empty() ? 0 : printControls(camera.index(), names, args.has("--json"));
}

int CliCommands::demo(const std::vector<std::string>& words) {
    const CliArgs args(words, {}, {});
    args.expectCount(0, 1, "demo [FRAMES]");
    int frames = 30;
    if (!args.positional().empty())
        frames = static_cast<int>(CliArgs::integer(args.positional()[0], 1, 100000, "FRAMES"));
    if (CameraGetCount() == 0) {
        // A newcomer with nothing attached still sees a camera stream at once.
        std::printf("no camera attached: using the virtual camera 3E00\n");
        require(CameraAttachVirtual("3E00") > 0, "CameraAttachVirtual");
    }
    list({});
    int failures = 0;
    for (int i = 0; i < CameraGetCount(); ++i) {
        try {
            CaptureCommands::streamFrames(i, frames);
        } catch (const ApiError& error) {
            std::fprintf(stderr, "vidscope-cli: camera %d: %s\n", i, error.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

namespace {

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> table = {
        {"list", "list [--json]", "The attached cameras, real ones first.", CliCommands::list},
        {"info", "info INDEX [--json]",
         "Model, firmware, USB speed, resolutions and the current value of every control.",
         CliCommands::info},
        {"get", "get INDEX [CONTROL...] [--json]",
         "Reads controls from the camera (all readable ones when none is named).",
         CliCommands::get},
        {"set", "set INDEX CONTROL=VALUE... [--store GROUP] [--json]",
         "Sets controls in the order given and prints what the camera then holds. Lists take\n"
         "commas (wb=1.1,1,1.3); switches take on/off. The camera forgets the settings when\n"
         "the command ends, as when the program closes it: --store GROUP (0 or 1) keeps them\n"
         "in the camera's parameter group, and grab, record and stream take the same\n"
         "CONTROL=VALUE words.",
         CliCommands::set},
        {"grab", "grab INDEX FILE [--count N] [--format raw|gray|rgb] [CONTROL=VALUE...]",
         "Captures N frames (default 1) and writes the last. FILE ending in .png, .jpg, .bmp\n"
         "or .tif(f) gets a processed picture (rgb unless --format gray); any other name or\n"
         "--format raw gets the raw bytes. With N > 1 and a %d in FILE every frame is written\n"
         "(frame-%03d.png).",
         CaptureCommands::grab},
        {"record",
         "record INDEX FILE.avi (--seconds S | --frames N) [--fps F] [--format gray|rgb] "
         "[CONTROL=VALUE...]",
         "Records an uncompressed AVI, as the program does, and prints the frames written and\n"
         "dropped. Ctrl+C ends the recording early; the file is closed properly either way.\n"
         "The frame rate in the file is --fps or the rate measured over the first frames.",
         CaptureCommands::record},
        {"stream", "stream INDEX [--seconds S] [--json] [CONTROL=VALUE...]",
         "Streams raw frames for S seconds (default 5; Ctrl+C ends early) and prints frames\n"
         "and bytes per second and the frames dropped: for checking a camera, cable and port.",
         CaptureCommands::stream},
        {"reg", "reg INDEX read ADDR | reg INDEX write ADDR VALUE [--json]",
         "Reads or writes a sensor register (numbers in decimal or 0x hexadecimal).",
         DeviceCommands::reg},
        {"eeprom", "eeprom INDEX read ADDR [LEN] | eeprom INDEX write ADDR BYTE... [--json]",
         "Reads LEN bytes (default 1) or writes bytes of the camera's EEPROM.",
         DeviceCommands::eeprom},
        {"userdata", "userdata INDEX [read] | userdata INDEX write TEXT --force [--json]",
         "Reads or writes the camera's 12-byte user identifier; writing needs --force.",
         DeviceCommands::userdata},
        {"params", "params INDEX save FILE | load FILE | store GROUP | recall GROUP [--json]",
         "Saves the camera's settings to a parameter file as the program writes it, or loads\n"
         "one (from any model); store and recall keep them in the camera's group 0 or 1.",
         DeviceCommands::params},
        {"deadpixels",
         "deadpixels INDEX list | find [--threshold T] | write [--threshold T] | clear [--json]",
         "Lists the dead pixels stored in the camera, finds hot pixels in a dark raw frame\n"
         "(brighter than T, default 128; cover the lens), stores what find finds (write), or\n"
         "empties the list (clear). Coordinates are full-sensor pixels.",
         DeviceCommands::deadpixels},
        {"demo", "demo [FRAMES]",
         "Opens every camera in turn and streams FRAMES raw frames (default 30); with no\n"
         "camera attached it uses a virtual one.",
         CliCommands::demo},
    };
    return table;
}

}  // namespace

}  // namespace vidscope::cli
