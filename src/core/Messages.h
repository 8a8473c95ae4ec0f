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

}  // namespace talvenor::msg
