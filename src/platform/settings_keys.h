#pragma once

// Every section and key of the settings file, spelt as the file spells them.
// Names match without regard to case in the file; the spelling here is the
// one written.

namespace kova {

inline constexpr char kSettingsFileName[] = "KovaShell.ini";

struct SettingKey {
    const char* section;
    const char* name;
};

// Mail accounts and options, the mail program, the tray double-click.
namespace a1 {
inline constexpr char kSection[] = "a1";
// Account 1: port, server, account name, password; 2 and 3 likewise.
inline constexpr SettingKey b01{kSection, "b01"}, b02{kSection, "b02"}, b03{kSection, "b03"},
    b04{kSection, "b04"};
inline constexpr SettingKey b11{kSection, "b11"}, b12{kSection, "b12"}, b13{kSection, "b13"},
    b14{kSection, "b14"};
inline constexpr SettingKey b21{kSection, "b21"}, b22{kSection, "b22"}, b23{kSection, "b23"},
    b24{kSection, "b24"};
// Account 1, 2, 3: the encryption choice ("0" none, "1" STARTTLS, "2" SSL/TLS)
// and the SHA-256 fingerprint of a certificate the user chose to trust.
inline constexpr SettingKey b05{kSection, "b05"}, b15{kSection, "b15"}, b25{kSection, "b25"};
inline constexpr SettingKey b06{kSection, "b06"}, b16{kSection, "b16"}, b26{kSection, "b26"};
inline constexpr SettingKey b5{kSection, "b5"};           // check interval, minutes
inline constexpr SettingKey Mailler{kSection, "Mailler"}; // the mail program
inline constexpr SettingKey b6{kSection, "b6"};           // small desktop icons at start
inline constexpr SettingKey b7{kSection, "b7"};           // double-click switches icons
inline constexpr SettingKey b8{kSection, "b8"};           // double-click checks mail
} // namespace a1

// Defaults for new notes and the editor's place.
namespace Fusen {
inline constexpr char kSection[] = "Fusen";
inline constexpr SettingKey FontName{kSection, "FontName"}, FontSize{kSection, "FontSize"},
    BackColor{kSection, "BackColor"}, ForeColor{kSection, "ForeColor"};
inline constexpr SettingKey Top{kSection, "Top"}, Left{kSection, "Left"};
} // namespace Fusen

// The settings dialog's place.
namespace Option {
inline constexpr char kSection[] = "Option";
inline constexpr SettingKey Top{kSection, "Top"}, Left{kSection, "Left"};
} // namespace Option

// The mail result window's place: written as "Left", read as "left".
namespace kmc {
inline constexpr char kSection[] = "kmc";
inline constexpr SettingKey Top{kSection, "Top"}, Left{kSection, "Left"}, left{kSection, "left"};
} // namespace kmc

// The command channel to the desktop-icon component.
namespace desktop {
inline constexpr char kSection[] = "desktop";
inline constexpr SettingKey click{kSection, "click"};
} // namespace desktop

// The stand-in for the tray icon on a desktop without a tray: its place.
namespace handle {
inline constexpr char kSection[] = "handle";
inline constexpr SettingKey Top{kSection, "Top"}, Left{kSection, "Left"};
} // namespace handle

// Launcher entries: key "0" to "19" holds entry n's name (Lunch0) and its
// command line (Lunch1).
namespace Lunch0 {
inline constexpr char kSection[] = "Lunch0";
}
namespace Lunch1 {
inline constexpr char kSection[] = "Lunch1";
}

} // namespace kova
