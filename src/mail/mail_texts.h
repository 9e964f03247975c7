#pragma once

#include <QString>

// The mail checker's own texts. A name ending in "Tail" follows the account's
// number tag, "[1]", "[2]" or "[3]" (accountTag()).
namespace kova::mailtext {

using namespace Qt::StringLiterals;

// the one text without an account number
inline const QString kInUse = u" アカウントは使用中です。"_s;
inline const QString kFailedTail = u" エラーが発生しました。メールチェックできません。"_s;
inline const QString kErrorLabelTail = u" エラー"_s;
inline const QString kCountTail = u" 通 ("_s;
inline const QString kSizeTail = u" バイト) のメールがあります。"_s;
// follows "[n] ": two spaces in all
inline const QString kNoMailTail = u" メールはありません。"_s;
inline const QString kNoAccountTail = u" アカウントがありません。"_s;
inline const QString kBadPasswordTail = u" パスワードが正しくありません。"_s;
inline const QString kHostNotFoundTail = u" エラー ホストが見つかりません。"_s;
inline const QString kRefusedTail = u" エラー 接続が受け付けられませんでした。"_s;
inline const QString kAddressTail = u" エラー アドレスを利用できません。"_s;
inline const QString kAbortedTail = u" エラー 接続が中断されました。"_s;
// followed by the number, ":" and the description
inline const QString kOtherErrorTail = u" エラー "_s;
inline const QString kCheckingTail = u" チェック中..."_s;
inline const QString kNoSettings = u"メール設定を行ってください。"_s;
inline const QString kIncomplete = u"メール設定が不完全です。再設定して下さい。"_s;

// "[1]" for account index 0.
inline QString accountTag(int i) {
    return u"["_s + QString::number(i + 1) + u"]"_s;
}

} // namespace kova::mailtext
