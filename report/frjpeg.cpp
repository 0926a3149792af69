#include "report/frjpeg.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {
struct ErrorManager
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr info)
{
    // libjpeg's own handler ends the process; jump back instead.
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void silence(j_common_ptr, int) {}

// Everything libjpeg touches lives in this frame and is plain data, because a
// longjmp out of libjpeg skips destructors.
bool decode(const unsigned char *bytes, unsigned long size, QImage *out)
{
    jpeg_decompress_struct info;
    ErrorManager error;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = errorExit;
    error.mgr.emit_message = silence;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width > 30000 || info.image_height > 30000) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *out = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (out->isNull() || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}
} // namespace

QImage frDecodeJpeg(const QByteArray &data)
{
    if (data.size() < 4) return QImage();
    QImage image;
    if (!decode(reinterpret_cast<const unsigned char *>(data.constData()), static_cast<unsigned long>(data.size()), &image))
        return QImage();
    return image;
}
