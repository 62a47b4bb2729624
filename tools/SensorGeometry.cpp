// SPDX-License-Identifier: MIT
// How a displayed full-frame picture maps onto the sensor: mirroring and quarter-turn rotation.
#include "SensorGeometry.h"

#include "vidscope/camera_api.h"

std::optional<SensorGeometry> SensorGeometry::ofCamera(int camera) {
    unsigned int width = 0;
    unsigned int height = 0;
    if (!CameraGetResolution(camera, 0, &width, &height, nullptr))
        return std::nullopt;
    const int mirrorX = CameraGetMirrorX(camera);
    const int mirrorY = CameraGetMirrorY(camera);
    const int rotated = CameraGetRotate(camera);
    if (mirrorX < 0 || mirrorY < 0 || rotated < 0)
        return std::nullopt;
    // The resolution is reported as displayed; the sensor reads out unrotated.
    QSize sensor{int(width), int(height)};
    if (rotated == 1)
        sensor.transpose();
    return SensorGeometry(sensor, mirrorX == 1, mirrorY == 1, rotated == 1);
}

// The pipeline writes sensor pixel (x, y) of a W x H readout to displayed column c, row r:
//   unrotated: c = mirrorX ? W-1-x : x,   r = mirrorY ? H-1-y : y
//   rotated:   c = mirrorY ? y : H-1-y,   r = mirrorX ? W-1-x : x
QPoint SensorGeometry::toDisplay(QPoint s) const {
    const int w = sensor_.width();
    const int h = sensor_.height();
    if (!rotated_)
        return {mirrorX_ ? w - 1 - s.x() : s.x(), mirrorY_ ? h - 1 - s.y() : s.y()};
    return {mirrorY_ ? s.y() : h - 1 - s.y(), mirrorX_ ? w - 1 - s.x() : s.x()};
}

QPoint SensorGeometry::toSensor(QPoint d) const {
    const int w = sensor_.width();
    const int h = sensor_.height();
    if (!rotated_)
        return {mirrorX_ ? w - 1 - d.x() : d.x(), mirrorY_ ? h - 1 - d.y() : d.y()};
    return {mirrorX_ ? w - 1 - d.y() : d.y(), mirrorY_ ? d.x() : h - 1 - d.x()};
}
