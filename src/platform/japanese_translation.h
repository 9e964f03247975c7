#pragma once

class QApplication;

namespace kova {

// Every text the user sees is Japanese, whatever the locale: Qt's own dialogs
// and message-box buttons take Qt's Japanese translation.
void installJapaneseTranslation(QApplication& app);

} // namespace kova
