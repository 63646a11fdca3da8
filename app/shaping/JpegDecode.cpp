#include "JpegDecode.h"

#include <jpeglib.h>

#include <QCoreApplication>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

// Pictures in the textbook are small; a header claiming more is damaged or hostile, and we would rather
// refuse it than try to allocate gigabytes.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

// libjpeg reports errors through this struct; the jump buffer rides along so the handler can unwind to
// Decoder::Run instead of letting libjpeg call exit().
struct ErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning about damaged data, such as a premature end of file. libjpeg would carry on and
    // fill the rest with grey; a half-grey background is worse than a clear failure.
    if (level < 0) {
        OnError(cinfo);
    }
}

void Silence(j_common_ptr) {}

class Decoder {
public:
    Decoder() {
        cinfo_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = OnError;
        errors_.base.emit_message = OnMessage;
        errors_.base.output_message = Silence;
    }
    ~Decoder() { jpeg_destroy_decompress(&cinfo_); }  // a no-op while nothing was created
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Only trivially destructible locals live in here: longjmp skips destructors, so the picture is handed in.
    bool Run(const QByteArray& data, QImage& image) {
        if (setjmp(errors_.jump) != 0) {
            return false;
        }
        jpeg_create_decompress(&cinfo_);
        jpeg_mem_src(&cinfo_, reinterpret_cast<const unsigned char*>(data.constData()),
                     static_cast<unsigned long>(data.size()));
        jpeg_read_header(&cinfo_, TRUE);

        QImage::Format format = QImage::Format_Invalid;
        switch (cinfo_.jpeg_color_space) {
            case JCS_GRAYSCALE:
                cinfo_.out_color_space = JCS_GRAYSCALE;
                format = QImage::Format_Grayscale8;
                break;
            case JCS_YCbCr:
            case JCS_RGB:
                cinfo_.out_color_space = JCS_RGB;
                format = QImage::Format_RGB888;
                break;
            default:
                return Fail(QT_TRANSLATE_NOOP("JpegDecode", "unsupported colour model"));
        }
        if (static_cast<long long>(cinfo_.image_width) * cinfo_.image_height > kMaxPixels) {
            return Fail(QT_TRANSLATE_NOOP("JpegDecode", "the picture is too large"));
        }
        jpeg_start_decompress(&cinfo_);
        image = QImage(static_cast<int>(cinfo_.output_width), static_cast<int>(cinfo_.output_height), format);
        if (image.isNull()) {
            return Fail(QT_TRANSLATE_NOOP("JpegDecode", "out of memory"));
        }
        while (cinfo_.output_scanline < cinfo_.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(cinfo_.output_scanline));
            jpeg_read_scanlines(&cinfo_, &row, 1);
        }
        jpeg_finish_decompress(&cinfo_);
        return true;
    }

    // Why it failed: a reason of our own, translated, or libjpeg's words.
    QString Reason() const {
        return own_ ? QCoreApplication::translate("JpegDecode", own_) : QString::fromLocal8Bit(errors_.message);
    }

private:
    bool Fail(const char* reason) {
        own_ = reason;
        return false;
    }

    ErrorManager errors_{};
    const char* own_ = nullptr;
    jpeg_decompress_struct cinfo_{};
};

}  // namespace

QImage DecodeJpeg(const QByteArray& data) {
    if (data.isEmpty()) {
        throw std::runtime_error(
            QCoreApplication::translate("JpegDecode", "Cannot decode the picture: no data").toStdString());
    }
    QImage image;
    Decoder decoder;
    if (!decoder.Run(data, image)) {
        throw std::runtime_error(QCoreApplication::translate("JpegDecode", "Cannot decode the picture: %1")
                                     .arg(decoder.Reason())
                                     .toStdString());
    }
    return image;
}
