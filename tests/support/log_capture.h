#pragma once

#include <QStringList>
#include <QtGlobal>

#include <cstring>

namespace kova::test {

// Collects the lines logged in the program's category ("kova") while it
// lives; everything still reaches the usual output too.
class LogCapture {
public:
    LogCapture() {
        current_ = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (current_ != nullptr && context.category != nullptr &&
            std::strcmp(context.category, "kova") == 0)
            current_->lines << text;
        if (previous_ != nullptr)
            previous_(type, context, text);
    }
    inline static LogCapture* current_ = nullptr;
    inline static QtMessageHandler previous_ = nullptr;
};

} // namespace kova::test
