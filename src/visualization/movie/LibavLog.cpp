#include "visualization/movie/LibavLog.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace movie::libav {

void print_library_errors_only() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

SilentLibraryLog::SilentLibraryLog() : saved_level_(av_log_get_level()) { av_log_set_level(AV_LOG_QUIET); }

SilentLibraryLog::~SilentLibraryLog() { av_log_set_level(saved_level_); }

}  // namespace movie::libav
