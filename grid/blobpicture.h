#pragma once
// Pictures kept in blob fields, as the grid shows them: the blob as a
// bitmap; failing that, a bitmap stored after the 78-byte header that Access
// puts before an embedded picture; failing that, a JPEG image (libjpeg).
// Plain functions on plain values, so they are tested without a grid.

#include <QByteArray>
#include <QImage>
#include <QRect>

QImage LoadBlobPicture(const QByteArray &data);
// A null image for anything libjpeg refuses; never aborts the process.
QImage DecodeJpeg(const QByteArray &data);
// The rectangle a picture takes in a cell, keeping its proportions, centred.
QRect FitPicture(const QRect &cell, const QSize &picture);
