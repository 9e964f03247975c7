#pragma once

// Every section and key of the settings file, spelt as the file spells them,
// with the value a new settings file starts with. Names match without regard
// to case in the file; the spelling here is the one written.

namespace kova {

inline constexpr char kSettingsFileName[] = "KovaShell.ini";

struct SettingKey {
    const char* section;
    const char* name;
    // The first-run value (UTF-8); nullptr for a key outside the first-run
    // set, and for the mail program, which depends on the desktop.
    const char* firstRun = nullptr;
};

// The plain POP3 port: every account's first-run port.
inline constexpr char kPop3Port[] = "110";
// The classic Japanese face: new notes' font, and the settings dialog's.
inline constexpr char kClassicFace[] = "ＭＳ Ｐゴシック";

// Mail accounts and options, the mail program, the tray double-click.
namespace a1 {
inline constexpr char kSection[] = "a1";
// Account 1: port, server, account name, password; 2 and 3 likewise.
inline constexpr SettingKey b01{kSection, "b01", kPop3Port}, b02{kSection, "b02", ""},
    b03{kSection, "b03", ""}, b04{kSection, "b04", ""};
inline constexpr SettingKey b11{kSection, "b11", kPop3Port}, b12{kSection, "b12", ""},
    b13{kSection, "b13", ""}, b14{kSection, "b14", ""};
inline constexpr SettingKey b21{kSection, "b21", kPop3Port}, b22{kSection, "b22", ""},
    b23{kSection, "b23", ""}, b24{kSection, "b24", ""};
// Account 1, 2, 3: the encryption choice ("0" none, "1" STARTTLS, "2" SSL/TLS)
// and the SHA-256 fingerprint of a certificate the user chose to trust.
inline constexpr SettingKey b05{kSection, "b05"}, b15{kSection, "b15"}, b25{kSection, "b25"};
inline constexpr SettingKey b06{kSection, "b06"}, b16{kSection, "b16"}, b26{kSection, "b26"};
// Account 1, 2, 3: the protocol ("0" or absent POP3, "1" IMAP).
inline constexpr SettingKey b07{kSection, "b07"}, b17{kSection, "b17"}, b27{kSection, "b27"};
// Account 1, 2, 3: the desktop keyring's item that holds the password, whose
// own key ("b04" ...) is then empty; empty when the file holds it.
inline constexpr SettingKey b09{kSection, "b09"}, b19{kSection, "b19"}, b29{kSection, "b29"};
inline constexpr SettingKey b5{kSection, "b5", "0"};      // check interval, minutes
inline constexpr SettingKey Mailler{kSection, "Mailler"}; // the mail program
inline constexpr SettingKey b6{kSection, "b6", "1"};      // small desktop icons at start
inline constexpr SettingKey b7{kSection, "b7", "True"};   // double-click switches icons
inline constexpr SettingKey b8{kSection, "b8", "False"};  // double-click checks mail
} // namespace a1

// Defaults for new notes and the editor's place.
namespace Fusen {
inline constexpr char kSection[] = "Fusen";
inline constexpr SettingKey FontName{kSection, "FontName", kClassicFace},
    FontSize{kSection, "FontSize", "9"}, BackColor{kSection, "BackColor", "&HFFFFFF"},
    ForeColor{kSection, "ForeColor", "&H0"};
inline constexpr SettingKey Top{kSection, "Top", "0"}, Left{kSection, "Left", "0"};
} // namespace Fusen

// The settings dialog's place.
namespace Option {
inline constexpr char kSection[] = "Option";
inline constexpr SettingKey Top{kSection, "Top", "0"}, Left{kSection, "Left", "0"};
} // namespace Option

// The mail result window's place: written as "Left", read as "left".
namespace kmc {
inline constexpr char kSection[] = "kmc";
inline constexpr SettingKey Top{kSection, "Top", "0"}, Left{kSection, "Left", "0"},
    left{kSection, "left", "0"};
} // namespace kmc

// The command channel to the desktop-icon component: written at every start,
// not part of the first-run set.
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

// A new settings file, in the order it is written.
// clang-format off
inline constexpr SettingKey kFirstRunKeys[] = {
    a1::b01, a1::b02, a1::b03, a1::b04,
    a1::b11, a1::b12, a1::b13, a1::b14,
    a1::b21, a1::b22, a1::b23, a1::b24,
    a1::b5, a1::Mailler, a1::b6, a1::b7, a1::b8,
    Fusen::FontName, Fusen::FontSize, Fusen::BackColor, Fusen::ForeColor,
    Option::Top, Option::Left,
    kmc::Top, kmc::Left,
    Fusen::Top, Fusen::Left,
};
// clang-format on

} // namespace kova
