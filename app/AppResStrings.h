#pragma once
// Message texts of the locking tool, filled with Format().

namespace sarvane::app {

// The maker, shown on the About tab; its home page is also the default
// allowed address of the URL limit.
inline constexpr char kMakerName[] = "Sarvane Project";
inline constexpr char kMakerHomePage[] = "https://sarvane.example.org/";
inline constexpr char kMakerMail[] = "support@sarvane.example.org";

inline constexpr char kSCannotWriteFile[] = "%s に書き込めません";

// The lock job's status line: the input's file name followed by one of these.
inline constexpr char kSProcessStart[] = "の処理開始";
inline constexpr char kSReadDone[] = "の読み込み完了";
inline constexpr char kSReadError[] = "の読み込みエラー";
inline constexpr char kSWriteStart[] = "の書き込み開始";
inline constexpr char kSJobDone[] = "の処理完了";
inline constexpr char kSJobFailed[] = "の処理異常";
// The lock job's error message boxes.
inline constexpr char kSWrongPassword[] = "パスワードが違います";
inline constexpr char kSUserRightsOnly[] = "ユーザ権限で開いたものは変更できません";
// Raised when the header-version step cannot set up its files.
inline constexpr char kSCannotCopyFile[] = "%s を %s にコピーできません";
// Why a lock job failed, shown after its status line: the path and the
// system's own error text.
inline constexpr char kSCannotWriteFileBecause[] = "%s に書き込めません (%s)";
inline constexpr char kSCannotReadFileBecause[] = "%s を読めません (%s)";
inline constexpr char kSOutputIsInput[] = "出力ファイル %s は入力ファイルそのものです";
inline constexpr char kSOutputInWorkFolder[] = "出力フォルダ %s は作業フォルダの中にあります";
// Raised when a job cannot make its private work folder.
inline constexpr char kSCannotMakeFolder[] = "作業フォルダ %s を作成できません";

// The check of the copy in the output folder before success is reported:
// the message box, then the reason filled in.
inline constexpr char kSOutputCheckFailed[] = "出力ファイル %s が書き込んだものと違います: %s";
inline constexpr char kSCheckUnreadable[] = "%s を読めません (%s)";
inline constexpr char kSCheckSize[] = "大きさが %d バイトで、書き込んだ %d バイトと違います";
inline constexpr char kSCheckHeader[] = "ヘッダが %%PDF-%s ではありません";
inline constexpr char kSCheckFileEnd[] = "ファイルの終わりに trailer、startxref と %%%%EOF がありません";
inline constexpr char kSCheckXRef[] = "startxref の位置に相互参照表がありません";
inline constexpr char kSCheckNotEncrypted[] = "セキュリティ使用なのに暗号化されていません";
inline constexpr char kSCheckEncrypted[] = "セキュリティ使用でないのに暗号化されています";
inline constexpr char kSCheckPageTree[] = "ページツリーを読めません";
inline constexpr char kSCheckPageCount[] = "ページ数が %d で、入力の %d と違います";
inline constexpr char kSCheckTrailer[] = "トレーラが書き込んだものと違います";

// The view limit's refusals.
inline constexpr char kSUnsafeLimitURL[] =
    "許可するURLに引用符、バックスラッシュ、括弧、空白、制御文字、ASCII以外の文字は使えません: %s";
inline constexpr char kSCannotReadTemplate[] = "%s を読み込めません";

}  // namespace sarvane::app
