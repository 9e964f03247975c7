#include "own_icon_size.h"

#include "base/logging.h"
#include "base/profile_file.h"
#include "base/registry_store.h"
#include "desktopicon/component/desktop_settings.h"

#include <QFileInfo>
#include <QSet>

namespace kova {

namespace {

const QString kSection = QStringLiteral("own-size");

// A value the setting can take: one of its levels, or a number of pixels.
bool isValid(const IconSizeSetting& s, const QString& value) {
    if (!s.levels.isEmpty())
        return s.levels.contains(value);
    bool ok = false;
    const int pixels = value.toInt(&ok);
    return ok && pixels > 0 && pixels <= 512;
}

std::optional<QString> valid(const IconSizeSetting& s, const std::optional<QString>& value) {
    if (value && isValid(s, *value))
        return value;
    return std::nullopt;
}

std::optional<QString> keptSize(const IconSizeSetting& s) {
    const QString value = ProfileFile(keptSizesPath()).read(kSection, s.id());
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

bool carryOut(const IconSizeSetting& s, const SizeStep& step) {
    const ProfileFile kept(keptSizesPath());
    if (step.keep && !kept.write(kSection, s.id(), *step.keep)) {
        // Without it the user's size would be lost: leave the desktop as it is.
        qCWarning(kovaLog, "cannot keep the desktop's icon size in %s; left unchanged",
                  qUtf8Printable(kept.path()));
        return false;
    }
    if (step.set && !writeIconSize(s, *step.set)) {
        qCWarning(kovaLog, "cannot set %s to %s", qUtf8Printable(s.id()),
                  qUtf8Printable(*step.set));
        return false;
    }
    if (step.forget)
        kept.write(kSection, s.id(), QString());
    return true;
}

} // namespace

SizeStep planIconSize(const IconSizeSetting& s, IconSize size,
                      const std::optional<QString>& current, const std::optional<QString>& kept) {
    const std::optional<QString> now = valid(s, current);
    const std::optional<QString> own = valid(s, kept);
    SizeStep step;
    switch (size) {
    case IconSize::Small:
        // A size that was small already, or unreadable, is not the user's large one.
        if (!own)
            step.keep = now && s.isClearlyLarger(*now) ? *now : s.standard;
        if (now != s.small)
            step.set = s.small;
        break;
    case IconSize::Large:
        if (kept) {
            const QString back = own && s.isClearlyLarger(*own) ? *own : s.standard;
            if (now != back)
                step.set = back;
            step.forget = true;
        } else if (!now || !s.isClearlyLarger(*now)) {
            step.set = s.standard;
        }
        break;
    case IconSize::Unchanged:
        break;
    }
    return step;
}

QString keptSizesPath() {
    return QFileInfo(RegistryStore::defaultPath()).absolutePath() +
           QStringLiteral("/desktop-icon-size.ini");
}

bool applyIconSize(Desktop desktop, IconSize size) {
    for (const IconSizeSetting& s : iconSizeSettings(desktop)) {
        if (!settingPresent(s))
            continue;
        return carryOut(s, planIconSize(s, size, readIconSize(s), keptSize(s)));
    }
    qCWarning(kovaLog, "%s: none of its icon-size settings is installed here; left unchanged",
              qUtf8Printable(desktopName(desktop)));
    return true;
}

bool restoreOwnIconSizes() {
    bool all = true;
    QSet<QString> done;
    for (const IconSizeSetting& s : allIconSizeSettings()) {
        if (done.contains(s.id()) || !keptSize(s) || !settingPresent(s))
            continue;
        done.insert(s.id());
        all = carryOut(s, planIconSize(s, IconSize::Large, readIconSize(s), keptSize(s))) && all;
    }
    return all;
}

} // namespace kova
