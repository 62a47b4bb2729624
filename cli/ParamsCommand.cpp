// SPDX-License-Identifier: MIT
// The parameter file of the program, saved from and loaded into an open camera.
#include "cli/ParamsCommand.h"

#include "base/TerminalText.h"
#include "cli/CliError.h"
#include "cli/TextEscape.h"

#ifdef VIDSCOPE_CLI_QT
#include <QString>

#include "ParameterFile.h"
#include "vidscope/camera_api.h"
#endif

namespace vidscope::cli {

#ifdef VIDSCOPE_CLI_QT
namespace {

// The shared code reports every failure and carries on; the first one decides the exit.
struct FirstFailure {
    std::string text;
    ApiReport reporter() {
        return [this](const QString& function, int error) {
            if (text.empty())
                text = function.toStdString() + " failed: " + CameraGetErrorName(error) + " (" +
                       std::to_string(error) + ")";
        };
    }
};

}  // namespace

void ParamsCommand::save(int camera, const std::string& path) {
    FirstFailure failure;
    ParameterFile file(camera, failure.reporter());
    if (!file.save(QString::fromLocal8Bit(path.c_str())))
        throw RunError(file.errorString().toStdString());
    if (!failure.text.empty())
        throw ApiError(failure.text);
}

void ParamsCommand::load(int camera, const std::string& path) {
    FirstFailure failure;
    ParameterFile file(camera, failure.reporter());
    const auto roi = [camera, &failure](int x, int y, int width, int height) {
        if (!CameraSetROI(camera, unsigned(x), unsigned(y), unsigned(width), unsigned(height)) &&
            failure.text.empty())
            failure.text = ApiError::fromLastError("CameraSetROI").what();
    };
    switch (file.load(QString::fromLocal8Bit(path.c_str()), roi)) {
        case ParameterFile::LoadResult::Applied:
            break;
        case ParameterFile::LoadResult::NotParameterFile:
            throw UsageError(base::printableText(path) + " is not a vidScope parameter file");
        case ParameterFile::LoadResult::Unreadable:
            throw RunError(file.errorString().toStdString());
    }
    if (!failure.text.empty())
        throw ApiError(failure.text);
}

#else

void ParamsCommand::save(int, const std::string&) {
    throw UsageError("this vidscope-cli was built without Qt and has no parameter files");
}

void ParamsCommand::load(int, const std::string&) {
    throw UsageError("this vidscope-cli was built without Qt and has no parameter files");
}

#endif

}  // namespace vidscope::cli
