#pragma once

#include <QString>

// Expected texts as account 1 shows them; other accounts swap the number
// (forAccount).
namespace kova::test::mailexpect {

using namespace Qt::StringLiterals;

inline const QString kFailed = u"[1] エラーが発生しました。メールチェックできません。"_s;
inline const QString kErrorLabel = u"[1] エラー"_s;
inline const QString kInUse = u" アカウントは使用中です。"_s;
inline const QString kNoAccount = u"[1] アカウントがありません。"_s;
inline const QString kBadPassword = u"[1] パスワードが正しくありません。"_s;
inline const QString kHostNotFound = u"[1] エラー ホストが見つかりません。"_s;
inline const QString kRefused = u"[1] エラー 接続が受け付けられませんでした。"_s;
inline const QString kAddress = u"[1] エラー アドレスを利用できません。"_s;
inline const QString kAborted = u"[1] エラー 接続が中断されました。"_s;
inline const QString kOtherError = u"[1] エラー "_s;
inline const QString kReset = u"[1] エラー 接続がサーバーによって切断されました。"_s;
inline const QString kNoResponse = u"[1] エラー サーバーからの応答がありません。"_s;
inline const QString kStlsRefused = u"[1] エラー サーバーが暗号化(STARTTLS)に応じませんでした。"_s;
inline const QString kLoginDisabled =
    u"[1] エラー サーバーが暗号化なしのログインを受け付けません。暗号化を選んで下さい。"_s;
inline const QString kTlsFailed = u"[1] エラー 暗号化通信を開始できませんでした。"_s;
inline const QString kTlsTimedOut = u"[1] エラー 暗号化通信の開始がタイムアウトしました。"_s;
// The certificate questions begin so.
inline const QString kUntrusted = u"[1] サーバー「%1」の証明書を確認できませんでした。"_s;
inline const QString kChanged = u"[1] 警告：サーバー「%1」の証明書が、前回信頼したものから"_s;
inline const QString kCounted = u" 通 ("_s;
inline const QString kBytes = u" バイト) のメールがあります。"_s;
inline const QString kNoMailTail = u" メールはありません。"_s;
inline const QString kChecking = u"[1] チェック中..."_s;
inline const QString kNoSettings = u"メール設定を行ってください。"_s;
inline const QString kIncomplete = u"メール設定が不完全です。再設定して下さい。"_s;

// "[1]" becomes "[n]" for account index i.
inline QString forAccount(QString text, int i) {
    return text.replace(u"[1]"_s, u"["_s + QString::number(i + 1) + u"]"_s);
}

// "[1] " + " メールはありません。"
inline QString noMail(int i) {
    return forAccount(u"[1] "_s, i) + kNoMailTail;
}

inline QString mailFound(int i, qint64 count, qint64 size) {
    return forAccount(u"[1] "_s, i) + QString::number(count) + kCounted + QString::number(size) +
           kBytes;
}

} // namespace kova::test::mailexpect
