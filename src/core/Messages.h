#pragma once
// Texts the engine shows, exactly as users know them. One place, so every caller agrees.
namespace talvenor::msg {

inline constexpr const char* kAccessDenied = "アクセスが拒否されました\n処理を続行します";
inline constexpr const char* kDiskNotReady = "ディスクの準備ができていません";
inline constexpr const char* kError = "エラー";
inline constexpr const char* kCannotWriteFile = "ファイルに書き込みできません。";

}  // namespace talvenor::msg
