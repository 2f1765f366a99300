#include "platform/AudioDevice.h"

#include <QFile>

#include <mpg123.h>

#include <memory>

std::int64_t Mp3Duration(const QString& path)
{
    static const bool ready = mpg123_init() == MPG123_OK;
    if (!ready)
        return 0;
    int error = MPG123_OK;
    std::unique_ptr<mpg123_handle, decltype(&mpg123_delete)> handle(mpg123_new(nullptr, &error), &mpg123_delete);
    if (!handle)
        return 0;
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    if (mpg123_open(handle.get(), QFile::encodeName(path).constData()) != MPG123_OK)
        return 0;
    // The scan reads every frame header, so a file without a length header
    // (or with a wrong one) still gets its true length.
    std::int64_t ms = 0;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_scan(handle.get()) == MPG123_OK
        && mpg123_getformat(handle.get(), &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
        const off_t samples = mpg123_length(handle.get());
        if (samples > 0)
            ms = std::int64_t(samples) * 1000 / rate;
    }
    mpg123_close(handle.get());
    return ms;
}
