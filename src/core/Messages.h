#pragma once
// Texts the engine shows, exactly as users know them. One place, so every caller agrees.
// The window and the terminal translate them on their way to the user (app/Translation.h):
// mark each text with TALVENOR_TEXT so the translation tools find it, write a path or other
// value as %1, %2 and fill it with msg::Format, and list the text in kAll below.
#include <string>
#include <vector>

#define TALVENOR_TEXT(text) text

namespace talvenor::msg {

inline constexpr const char* kAccessDenied = TALVENOR_TEXT("アクセスが拒否されました\n処理を続行します");
inline constexpr const char* kDiskNotReady = TALVENOR_TEXT("ディスクの準備ができていません");
inline constexpr const char* kError = TALVENOR_TEXT("エラー");
inline constexpr const char* kCannotWriteFile = TALVENOR_TEXT("ファイルに書き込みできません。");
// A notice, %1: a folder deeper than 255 levels, or whose path the system refuses.
inline constexpr const char* kFolderOutOfReach =
    TALVENOR_TEXT("フォルダが深すぎるかパスが長すぎるため、中のファイルはバックアップされません: %1");
// Notices about ".talvenorignore". %1: the file and the line's number ("/w/.talvenorignore:3"),
// %2: the line; %1: the file.
inline constexpr const char* kIgnoreLineUnreadable = TALVENOR_TEXT("除外パターンとして読めない行を無視します %1: %2");
inline constexpr const char* kIgnoreFileUnreadable =
    TALVENOR_TEXT("%1を読めないため、読めるようになるまで何も除外せずにバックアップします");

// Start and the monitoring session.
inline constexpr const char* kFolderSizeTitle = TALVENOR_TEXT("フォルダ容量確認中..");
inline constexpr const char* kFolderSizeText = TALVENOR_TEXT(
    "フォルダ容量を確認しています...\n\nしばらくお待ちください。中断は "
    "Cancelボタン押下か、ESCキーを押下してください。");
inline constexpr const char* kFolderTooLarge = TALVENOR_TEXT("このフォルダのサイズが大き過ぎます。続けますか？");
inline constexpr const char* kCheckFolders = TALVENOR_TEXT("監視先とバックアップ先を確認してください");
inline constexpr const char* kWatchLimitReached = TALVENOR_TEXT(
    "フォルダの変更通知の上限に達しました。監視レベルの間隔ごとにフォルダ全体を確認します。\n"
    "上限は sysctl fs.inotify.max_user_watches で増やせます。");

// The backup folder.
inline constexpr const char* kSameFolders =
    TALVENOR_TEXT("監視先とバックアップ先が同じディレクトリです(ヘルプの3.8参照下さい)");
inline constexpr const char* kCannotRemoveFolder = TALVENOR_TEXT("ディレクトリの削除ができません%1");  // %1: path
// %1: the folder's old path, %2: its new one.
inline constexpr const char* kRenamed = TALVENOR_TEXT("%1は\n%2に名称変更しました自分で削除してください");
inline constexpr const char* kNotRenamed = TALVENOR_TEXT("削除できなかった%1は自分で削除してください");
// Notices. %1: the backup folder; the source file.
inline constexpr const char* kCopiesWaiting = TALVENOR_TEXT(
    "バックアップ先%1にコピーできません(ディスクがいっぱいか、フォルダがありません)"
    "。書き込めるようになりしだいコピーします");
inline constexpr const char* kKeptChanging = TALVENOR_TEXT(
    "%1はコピー中も書き換えられ続けました。最後のコピーを残しましたが、一つの版にそろっていないことがあります");
// %1: how many changed files a pass ended by Stop or Quit did not copy.
inline constexpr const char* kFilesLeftForNextPass = TALVENOR_TEXT(
    "途中で止めたため、変更された%1個のファイルはまだコピーされていません。次に変更を比べるときにコピーします");

// The change log.
inline constexpr const char* kLogSizeControl =
    TALVENOR_TEXT("ログファイルのサイズ制御ができません　自分で管理してください");
inline constexpr const char* kDiskFullFormat = TALVENOR_TEXT("%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
inline constexpr const char* kLogCannotOpen = TALVENOR_TEXT("ログファイルを開くことも作ることもできません\n%1");

// Every text above: a text built with values is recognised by its fixed parts.
inline constexpr const char* kAll[] = {
    kAccessDenied,         kDiskNotReady,         kError,
    kCannotWriteFile,      kFolderSizeTitle,      kFolderSizeText,
    kFolderTooLarge,       kCheckFolders,         kWatchLimitReached,
    kSameFolders,          kCannotRemoveFolder,   kRenamed,
    kNotRenamed,           kLogSizeControl,       kDiskFullFormat,
    kLogCannotOpen,        kFolderOutOfReach,     kCopiesWaiting,
    kKeptChanging,         kIgnoreLineUnreadable, kIgnoreFileUnreadable,
    kFilesLeftForNextPass,
};

// The text with %1 to %9 replaced by the values, in one pass: a value holding "%1" stays as it is.
std::string Format(const std::string& text, const std::vector<std::string>& values);

}  // namespace talvenor::msg
