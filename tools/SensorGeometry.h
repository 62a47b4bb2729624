// SPDX-License-Identifier: MIT
// How a displayed full-frame picture maps onto the sensor: mirroring and quarter-turn rotation.
#pragma once

#include <QPoint>
#include <QSize>
#include <optional>

// The camera keeps dead pixels in sensor coordinates (as the sensor reads out, before the
// image pipeline mirrors and rotates), while the editor works on the displayed picture. Only a
// picture of the whole sensor maps one to one: a smaller resolution (cropped, skipped or binned)
// or a region of interest shows a part or a reduced copy, where one displayed pixel stands for
// several sensor pixels or for none. The editor therefore converts positions of full-frame
// pictures and refuses the others (fits()).
class SensorGeometry {
public:
    SensorGeometry(QSize sensor, bool mirrorX, bool mirrorY, bool rotated)
        : sensor_(sensor), mirrorX_(mirrorX), mirrorY_(mirrorY), rotated_(rotated) {}

    // The current camera's geometry, or nothing when the camera cannot be asked (closed,
    // unplugged). Reads the largest resolution and the mirror and rotation switches.
    static std::optional<SensorGeometry> ofCamera(int camera);

    QSize sensorSize() const { return sensor_; }
    // The full frame as displayed (sides swapped under rotation).
    QSize displaySize() const { return rotated_ ? sensor_.transposed() : sensor_; }
    // Whether a picture of this size is the whole sensor as displayed.
    bool fits(QSize picture) const { return picture == displaySize(); }

    QPoint toSensor(QPoint displayed) const;
    QPoint toDisplay(QPoint sensor) const;

private:
    QSize sensor_;
    bool mirrorX_;
    bool mirrorY_;
    bool rotated_;
};
