// SPDX-License-Identifier: MIT
// The seam through which windows hand files to the desktop: default viewer and file manager.
#pragma once

#include <QString>

// Windows never call the desktop services themselves: tests install a recorder instead of
// launching viewers and file managers on the machine that runs them.
//
// Ownership: setInstance() does not take ownership; the caller keeps the object alive until
// it installs another one or passes nullptr (which restores the real desktop).
class DesktopActions {
public:
    virtual ~DesktopActions() = default;

    // Opens a local file with the desktop's default application; false when nothing took it.
    virtual bool openFile(const QString& fileName) = 0;
    // Shows the file selected in the desktop's file manager, or opens its folder where no file
    // manager answers; false when neither worked.
    virtual bool showInFolder(const QString& fileName) = 0;

    static DesktopActions& instance();
    static void setInstance(DesktopActions* actions);
};
