// SPDX-License-Identifier: MIT
// The verbs that reach into the camera's memory: registers, EEPROM, user data, parameter
// groups and files, dead pixels.
#include "cli/DeviceCommands.h"

#include <cstdio>

#include "base/TerminalText.h"
#include "cli/CameraSession.h"
#include "cli/CliArgs.h"
#include "cli/CliCommands.h"
#include "cli/CliError.h"
#include "cli/ControlTable.h"
#include "cli/DeadPixelFinder.h"
#include "cli/JsonWriter.h"
#include "cli/ParamsCommand.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

constexpr int kUserDataLength = 12;
constexpr long long kEepromSize = 0x10000;

void printHexValue(const char* key, long long address, long long value, bool json) {
    if (json) {
        JsonWriter writer;
        writer.beginObject();
        writer.key("address");
        writer.value(address);
        writer.key(key);
        writer.value(value);
        writer.endObject();
        std::puts(writer.text().c_str());
    } else {
        std::printf("0x%04llX: 0x%04llX (%lld)\n", address, value, value);
    }
}

// The action word at `position`, bad usage unless it is one of `actions`.
std::string actionOf(const CliArgs& args, size_t position, const std::vector<std::string>& actions,
                     const char* usage) {
    if (args.positional().size() <= position)
        throw UsageError(std::string("missing arguments; usage: ") + usage);
    const std::string& action = args.positional()[position];
    for (const std::string& known : actions) {
        if (action == known)
            return action;
    }
    throw UsageError("unknown action \"" + base::printableText(action) + "\"; usage: " + usage);
}

}  // namespace

int DeviceCommands::reg(const std::vector<std::string>& words) {
    static const char* usage = "reg INDEX read ADDR | reg INDEX write ADDR VALUE";
    const CliArgs args(words, {}, {"--json"});
    const std::string action = actionOf(args, 1, {"read", "write"}, usage);
    args.expectCount(action == "read" ? 3 : 4, action == "read" ? 3 : 4, usage);
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const auto address =
        static_cast<unsigned short>(CliArgs::integer(args.positional()[2], 0, 0xFFFF, "ADDR"));
    const CameraSession camera(index);
    if (action == "write") {
        const auto value =
            static_cast<unsigned short>(CliArgs::integer(args.positional()[3], 0, 0xFFFF, "VALUE"));
        require(CameraWriteSCCB(camera.index(), 0, address, value, 0), "CameraWriteSCCB");
    }
    // A write is followed by a read: some registers take only some bits, and the user should
    // see what the sensor holds, not what was asked.
    unsigned value = 0;
    require(CameraReadSCCB(camera.index(), 0, address, &value, 0), "CameraReadSCCB");
    printHexValue("value", address, value, args.has("--json"));
    return 0;
}

int DeviceCommands::eeprom(const std::vector<std::string>& words) {
    static const char* usage = "eeprom INDEX read ADDR [LEN] | eeprom INDEX write ADDR BYTE...";
    const CliArgs args(words, {}, {"--json"});
    const std::string action = actionOf(args, 1, {"read", "write"}, usage);
    if (action == "read")
        args.expectCount(3, 4, usage);
    else
        args.expectCount(4, size_t(kEepromSize) + 3, usage);
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const long long address = CliArgs::integer(args.positional()[2], 0, kEepromSize - 1, "ADDR");
    std::vector<unsigned char> bytes;
    long long length = 1;
    if (action == "read" && args.positional().size() == 4)
        length = CliArgs::integer(args.positional()[3], 1, kEepromSize - address, "LEN");
    for (size_t i = 3; action == "write" && i < args.positional().size(); ++i)
        bytes.push_back(
            static_cast<unsigned char>(CliArgs::integer(args.positional()[i], 0, 255, "BYTE")));
    if (address + static_cast<long long>(bytes.size()) > kEepromSize)
        throw UsageError("the bytes run past the end of the EEPROM (0xFFFF)");

    const CameraSession camera(index);
    for (size_t i = 0; i < bytes.size(); ++i)
        require(CameraWriteEEPROM(camera.index(), 0, static_cast<unsigned short>(address + long(i)),
                                  bytes[i], 0),
                "CameraWriteEEPROM");
    for (long long i = 0; action == "read" && i < length; ++i) {
        unsigned char value = 0;
        require(CameraReadEEPROM(camera.index(), 0, static_cast<unsigned short>(address + i),
                                 &value, 0),
                "CameraReadEEPROM");
        bytes.push_back(value);
    }
    if (action == "write")
        return 0;
    if (args.has("--json")) {
        JsonWriter json;
        json.beginObject();
        json.key("address");
        json.value(address);
        json.key("bytes");
        json.beginArray();
        for (unsigned char byte : bytes)
            json.value(int(byte));
        json.endArray();
        json.endObject();
        std::puts(json.text().c_str());
        return 0;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0)
            std::printf("%s0x%04llX:", i ? "\n" : "", address + static_cast<long long>(i));
        std::printf(" %02X", bytes[i]);
    }
    std::printf("\n");
    return 0;
}

int DeviceCommands::userdata(const std::vector<std::string>& words) {
    static const char* usage = "userdata INDEX [read] | userdata INDEX write TEXT --force";
    const CliArgs args(words, {}, {"--json", "--force"});
    const std::string action =
        args.positional().size() < 2 ? "read" : actionOf(args, 1, {"read", "write"}, usage);
    args.expectCount(action == "write" ? 3 : 1, action == "write" ? 3 : 2, usage);
    const int index = CameraSession::parseIndex(args.positional()[0]);
    unsigned char data[kUserDataLength] = {};
    if (action == "write") {
        const std::string& text = args.positional()[2];
        if (text.size() > kUserDataLength)
            throw UsageError("the user data holds 12 bytes; \"" + base::printableText(text) +
                             "\" has " + std::to_string(text.size()));
        if (!args.has("--force"))
            throw UsageError(
                "writing the user data replaces what identifies this camera to "
                "other software; add --force to do it");
        std::copy(text.begin(), text.end(), data);
        const CameraSession camera(index);
        require(CameraWriteUserData(camera.index(), data, kUserDataLength), "CameraWriteUserData");
        return 0;
    }
    const CameraSession camera(index);
    require(CameraReadUserData(camera.index(), data, kUserDataLength), "CameraReadUserData");
    // The text ends at the first zero byte; unprogrammed memory reads 0xFF.
    std::string text;
    for (unsigned char byte : data) {
        if (byte == 0 || byte == 0xFF)
            break;
        text += static_cast<char>(byte);
    }
    if (args.has("--json")) {
        JsonWriter json;
        json.beginObject();
        json.key("text");
        json.value(text);
        json.key("bytes");
        json.beginArray();
        for (unsigned char byte : data)
            json.value(int(byte));
        json.endArray();
        json.endObject();
        std::puts(json.text().c_str());
    } else {
        std::printf("%s\n", base::printableText(text).c_str());
    }
    return 0;
}

int DeviceCommands::params(const std::vector<std::string>& words) {
    static const char* usage =
        "params INDEX save FILE [CONTROL=VALUE...] | load FILE [--store GROUP] | store GROUP | "
        "recall GROUP";
    const CliArgs args(words, {"--store"}, {"--json"});
    const std::string action = actionOf(args, 1, {"save", "load", "store", "recall"}, usage);
    args.expectCount(3, action == "save" ? 1000 : 3, usage);
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const std::string& target = args.positional()[2];
    if (action == "save" || action == "load") {
        std::vector<std::string> assignments(args.positional().begin() + 3,
                                             args.positional().end());
        for (const std::string& word : assignments)
            ControlTable::parseAssignment(word);
        const int group = args.hasValue("--store")
                              ? int(CliArgs::integer(args.value("--store"), 0, 1, "group"))
                              : -1;
        const CameraSession camera(index);
        ControlTable::apply(camera.index(), assignments);
        if (action == "save") {
            ParamsCommand::save(camera.index(), target);
            return 0;
        }
        ParamsCommand::load(camera.index(), target);
        if (group >= 0)
            require(CameraSaveParameter(camera.index(), group), "CameraSaveParameter");
        return CliCommands::printControls(camera.index(), {}, args.has("--json"));
    }
    const int group = int(CliArgs::integer(target, 0, 1, "GROUP"));
    const CameraSession camera(index);
    if (action == "store") {
        require(CameraSaveParameter(camera.index(), group), "CameraSaveParameter");
        return 0;
    }
    require(CameraLoadParameter(camera.index(), group), "CameraLoadParameter");
    return CliCommands::printControls(camera.index(), {}, args.has("--json"));
}

int DeviceCommands::deadpixels(const std::vector<std::string>& words) {
    static const char* usage =
        "deadpixels INDEX list | find [--threshold T] | write [--threshold T] | clear";
    const CliArgs args(words, {"--threshold"}, {"--json"});
    const std::string action = actionOf(args, 1, {"list", "find", "write", "clear"}, usage);
    args.expectCount(2, 2, usage);
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const int threshold =
        args.hasValue("--threshold")
            ? int(CliArgs::integer(args.value("--threshold"), 0, 254, "--threshold"))
            : 128;
    const CameraSession camera(index);
    std::vector<std::pair<unsigned, unsigned>> pixels;
    if (action == "list") {
        std::vector<unsigned> list(2 * DeadPixelFinder::kMaxPixels + 1, 0);
        require(CameraLoadDeadpixel(camera.index(), list.data()), "CameraLoadDeadpixel");
        for (unsigned i = 0; i < list[0] && i < DeadPixelFinder::kMaxPixels; ++i)
            pixels.emplace_back(list[1 + 2 * i], list[2 + 2 * i]);
    } else if (action == "clear") {
        const unsigned empty = 0;
        require(CameraSaveDeadpixel(camera.index(), &empty), "CameraSaveDeadpixel");
    } else {
        pixels = DeadPixelFinder::find(camera.index(), threshold);
        if (action == "write") {
            std::vector<unsigned> list{unsigned(pixels.size())};
            for (const auto& [x, y] : pixels) {
                list.push_back(x);
                list.push_back(y);
            }
            require(CameraSaveDeadpixel(camera.index(), list.data()), "CameraSaveDeadpixel");
        }
    }
    if (args.has("--json")) {
        JsonWriter json;
        json.beginArray();
        for (const auto& [x, y] : pixels)
            json.numbers({double(x), double(y)});
        json.endArray();
        std::puts(json.text().c_str());
    } else {
        std::printf("%zu dead pixel(s)\n", pixels.size());
        for (const auto& [x, y] : pixels)
            std::printf("%u,%u\n", x, y);
    }
    return 0;
}

}  // namespace vidscope::cli
