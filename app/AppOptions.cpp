// SPDX-License-Identifier: MIT
// The program's command-line options.
#include "AppOptions.h"

#include "base/DeviceCodeList.h"

namespace {

// The same grammar as VIDSCOPE_VIRTUAL_CAMERAS; here a malformed entry refuses the whole
// command line, and a list naming no camera at all is refused as well.
QString deviceCodeListProblem(const QString& text) {
    const auto list = vidscope::base::DeviceCodeList::parse(text.toStdString());
    if (!list.valid())
        return QString::fromStdString(list.problem());
    if (list.codes.empty())
        return QStringLiteral("no device code given");
    return QString();
}

// Accepts "--name value" and "--name=value"; advances i past what it used.
bool takeValue(const QStringList& args, qsizetype& i, const QString& name, QString& value,
               QString& error) {
    const QString& arg = args[i];
    if (arg.startsWith(name + QLatin1Char('='))) {
        value = arg.mid(name.size() + 1);
        return true;
    }
    if (arg != name) {
        return false;
    }
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return true;
    }
    value = args[++i];
    return true;
}

}  // namespace

AppOptions AppOptions::parse(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 1; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& arg = arguments[i];
        QString value;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.showHelp = true;
        } else if (takeValue(arguments, i, QStringLiteral("--virtual-camera"), value,
                             options.error)) {
            if (options.error.isEmpty()) {
                if (const QString problem = deviceCodeListProblem(value); !problem.isEmpty())
                    options.error = QStringLiteral("--virtual-camera: %1").arg(problem);
            }
            options.virtualCameras = value;
        } else if (takeValue(arguments, i, QStringLiteral("--measure"), value, options.error)) {
            bool ok = false;
            options.measureSeconds = value.toInt(&ok);
            if (options.error.isEmpty() && (!ok || options.measureSeconds <= 0 ||
                                            options.measureSeconds > kMaxMeasureSeconds)) {
                options.error =
                    QStringLiteral("--measure expects a number of seconds from 1 to %1, not \"%2\"")
                        .arg(kMaxMeasureSeconds)
                        .arg(value);
                options.measureSeconds = 0;
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            options.error = QStringLiteral("unknown option %1").arg(arg);
        }
        // Single-dash options (-platform offscreen, -style ...) and their values belong to Qt,
        // which reads them when the application object is created.
    }
    return options;
}

QString AppOptions::usage() {
    return QStringLiteral(
        "Usage: vidscope [options]\n"
        "Viewer and controller for USB industrial cameras.\n"
        "\n"
        "  --virtual-camera CODE[,CODE...]  attach virtual cameras of these device codes\n"
        "                                   (hexadecimal, e.g. 3E00 or 3E00,0500)\n"
        "  --measure N                      stream for N seconds, print the frame counts\n"
        "                                   and quit\n"
        "  --help                           show this text\n"
        "\n"
        "VIDSCOPE_VIRTUAL_CAMERAS=3E00,0500 asks for virtual cameras as well.\n"
        "Settings are read from ./setting.ini in the working directory.\n");
}
