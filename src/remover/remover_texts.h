#pragma once

// The texts KovaRemover shows, byte for byte as the original program has them.

namespace kova::remover {

inline constexpr char kAskRemove[] = "「KovaShell」をアンインストールしますか？";
inline constexpr char kRemovalFinished[] = "アンインストールが完了しました。";
inline constexpr char kDeleteAfterLogOff[] = "ログオフ後フォルダごとファイルを削除してください。";
inline constexpr char kAskLogOff[] = "ログオフしますか？";

} // namespace kova::remover
