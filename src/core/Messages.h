#pragma once
// Texts the engine shows, exactly as users know them. One place, so every caller agrees.
namespace talvenor::msg {

inline constexpr const char* kAccessDenied = "アクセスが拒否されました\n処理を続行します";
inline constexpr const char* kDiskNotReady = "ディスクの準備ができていません";
inline constexpr const char* kError = "エラー";
inline constexpr const char* kCannotWriteFile = "ファイルに書き込みできません。";

// Start and the monitoring session.
inline constexpr const char* kFolderSizeTitle = "フォルダ容量確認中..";
inline constexpr const char* kFolderSizeText =
    "フォルダ容量を確認しています...\n\nしばらくお待ちください。中断は Cancelボタン押下か、ESCキーを押下してください。";
inline constexpr const char* kFolderTooLarge = "このフォルダのサイズが大き過ぎます。続けますか？";
inline constexpr const char* kCheckFolders = "監視先とバックアップ先を確認してください";
inline constexpr const char* kWatchLimitReached =
    "フォルダの変更通知の上限に達しました。監視レベルの間隔ごとにフォルダ全体を確認します。\n"
    "上限は sysctl fs.inotify.max_user_watches で増やせます。";

// The backup folder.
inline constexpr const char* kSameFolders = "監視先とバックアップ先が同じディレクトリです(ヘルプの3.8参照下さい)";
inline constexpr const char* kCannotRemoveFolder = "ディレクトリの削除ができません";  // + path
// old path + kRenamedMiddle + new path + kRenamedTail
inline constexpr const char* kRenamedMiddle = "は\n";
inline constexpr const char* kRenamedTail = "に名称変更しました自分で削除してください";
// kNotRenamedHead + path + kNotRenamedTail
inline constexpr const char* kNotRenamedHead = "削除できなかった";
inline constexpr const char* kNotRenamedTail = "は自分で削除してください";

// The change log.
inline constexpr const char* kLogSizeControl = "ログファイルのサイズ制御ができません　自分で管理してください";
inline constexpr const char* kDiskFullFormat = "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";  // %1: path
inline constexpr const char* kLogCannotOpen = "ログファイルを開くことも作ることもできません\n";  // + path

}  // namespace talvenor::msg
