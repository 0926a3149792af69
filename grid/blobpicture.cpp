#include "grid/blobpicture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

constexpr int OleHeaderSize = 78;

struct JpegError
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    // libjpeg's default handler ends the process; jump back instead.
    std::longjmp(reinterpret_cast<JpegError *>(info->err)->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

// Decodes into a malloc'd RGB buffer. Only plain C objects live in this
// frame, because a longjmp out of libjpeg skips destructors.
bool decodeJpegRgb(const unsigned char *bytes, unsigned long size, unsigned char **out, int *width,
                   int *height)
{
    jpeg_decompress_struct info;
    JpegError error;
    unsigned char *volatile buffer = nullptr;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = jpegErrorExit;
    error.mgr.emit_message = jpegSilence;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 3;
    buffer = static_cast<unsigned char *>(std::malloc(stride * info.output_height));
    if (!buffer) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = buffer + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    jpeg_destroy_decompress(&info);
    *out = buffer;
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray &data)
{
    if (data.size() < 4) return {};
    unsigned char *rgb = nullptr;
    int width = 0, height = 0;
    if (!decodeJpegRgb(reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size(),
                       &rgb, &width, &height))
        return {};
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height && !image.isNull(); ++y)
        std::memcpy(image.scanLine(y), rgb + size_t(y) * size_t(width) * 3, size_t(width) * 3);
    std::free(rgb);
    return image;
}

QImage LoadBlobPicture(const QByteArray &data)
{
    if (data.isEmpty()) return {};
    QImage image = QImage::fromData(data, "BMP");
    if (image.isNull() && data.size() > OleHeaderSize)
        image = QImage::fromData(data.mid(OleHeaderSize), "BMP");
    if (image.isNull()) image = DecodeJpeg(data);
    return image;
}

QRect FitPicture(const QRect &cell, const QSize &picture)
{
    if (picture.isEmpty() || cell.isEmpty()) return {};
    const double w = double(cell.width()) / picture.width();
    const double h = double(cell.height()) / picture.height();
    QSize size;
    if (h >= w) size = QSize(cell.width(), qRound(w * picture.height()));
    else size = QSize(qRound(h * picture.width()), cell.height());
    return QRect(cell.left() + (cell.width() - size.width()) / 2, cell.top() + (cell.height() - size.height()) / 2,
                 size.width(), size.height());
}
