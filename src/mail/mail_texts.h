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
inline const QString kResetTail = u" エラー 接続がサーバーによって切断されました。"_s;
// connected, but the dialogue did not finish in time
inline const QString kNoResponseTail = u" エラー サーバーからの応答がありません。"_s;
inline const QString kStlsRefusedTail = u" エラー サーバーが暗号化(STARTTLS)に応じませんでした。"_s;
// IMAP: the server takes no password without TLS (LOGINDISABLED)
inline const QString kLoginDisabledTail =
    u" エラー サーバーが暗号化なしのログインを受け付けません。暗号化を選んで下さい。"_s;
inline const QString kTlsFailedTail = u" エラー 暗号化通信を開始できませんでした。"_s;
inline const QString kTlsTimedOutTail = u" エラー 暗号化通信の開始がタイムアウトしました。"_s;
// the keyring did not give the account's password (locked, gone, no item)
inline const QString kNoPasswordTail =
    u" エラー キーリングからパスワードを取得できませんでした。"_s;
inline const QString kTlsUnavailableTail = u" エラー この環境では暗号化通信を利用できません。"_s;
// followed by the number, ":" and the description
inline const QString kOtherErrorTail = u" エラー "_s;

// The question about a certificate that cannot be verified: %1 the server,
// %2 the reasons, %3 the fingerprint.
inline const QString kUntrustedTail = u" サーバー「%1」の証明書を確認できませんでした。\n理由：%2\n"
                                      "SHA-256 フィンガープリント：\n%3\n\n"
                                      "このアカウントでは今後この証明書を信頼しますか？"_s;
inline const QString kChangedTail =
    u" 警告：サーバー「%1」の証明書が、前回信頼したものから変わっています。"
    "通信が第三者に傍受されている可能性があります。\n理由：%2\n"
    "新しい証明書の SHA-256 フィンガープリント：\n%3\n\n"
    "このアカウントでは今後この新しい証明書を信頼しますか？"_s;
inline const QString kSelfSigned = u"自己署名の証明書です。"_s;
inline const QString kUnknownIssuer = u"信頼できる発行元の証明書ではありません。"_s;
inline const QString kExpired = u"有効期限が切れています。"_s;
inline const QString kNotYetValid = u"有効期間がまだ始まっていません。"_s;
// %1 the server name as typed
inline const QString kWrongName = u"サーバー名「%1」の証明書ではありません。"_s;
inline const QString kRevoked = u"失効した証明書です。"_s;
inline const QString kUnverifiable = u"証明書を検証できません。"_s;
inline const QString kCheckingTail = u" チェック中..."_s;
inline const QString kNoSettings = u"メール設定を行ってください。"_s;
inline const QString kIncomplete = u"メール設定が不完全です。再設定して下さい。"_s;

// "[1]" for account index 0.
inline QString accountTag(int i) {
    return u"["_s + QString::number(i + 1) + u"]"_s;
}

} // namespace kova::mailtext
