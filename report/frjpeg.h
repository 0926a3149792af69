#pragma once
// JPEG pictures of picture objects, through libjpeg (decoding only).

#include <QByteArray>
#include <QImage>

// A null image for anything libjpeg refuses.
QImage frDecodeJpeg(const QByteArray &data);
