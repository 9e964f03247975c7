#include "logging.h"

namespace kova {

Q_LOGGING_CATEGORY(kovaLog, "kova", QtWarningMsg)

} // namespace kova
