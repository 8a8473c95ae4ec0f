<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>talvenor</name>
    <message>
        <source>Talvenorのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Talvenor</translation>
    </message>
    <message>
        <source>参照(&amp;D)..</source>
        <translation>&amp;Browse…</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)..</source>
        <translation>&amp;Help…</translation>
    </message>
    <message>
        <source>参照(&amp;E)..</source>
        <translation>Brows&amp;e…</translation>
    </message>
    <message>
        <source>開始(&amp;A)</source>
        <translation>St&amp;art</translation>
    </message>
    <message>
        <source>停止(&amp;B)</source>
        <translation>St&amp;op</translation>
    </message>
    <message>
        <source>詳細設定(&amp;M)..</source>
        <translation>&amp;Settings…</translation>
    </message>
    <message>
        <source>ログ表示(&amp;L)..</source>
        <translation>Show &amp;log…</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>監視をスタートします</source>
        <translation>Starts monitoring</translation>
    </message>
    <message>
        <source>監視をストップします</source>
        <translation>Stops monitoring</translation>
    </message>
    <message>
        <source>ログサイズ、監視レベルの設定等を行います</source>
        <translation>Sets the log size, the check interval and more</translation>
    </message>
    <message>
        <source>ログを表示します</source>
        <translation>Shows the log</translation>
    </message>
    <message>
        <source>画面を閉じます</source>
        <translation>Closes the window</translation>
    </message>
    <message>
        <source>アプリケーションを終了します</source>
        <translation>Quits the application</translation>
    </message>
    <message>
        <source>監視先を設定します</source>
        <translation>Sets the watched folder</translation>
    </message>
    <message>
        <source>バックアップ先の設定します</source>
        <translation>Sets the backup folder</translation>
    </message>
    <message>
        <source>ヘルプを表示します</source>
        <translation>Shows help</translation>
    </message>
    <message>
        <source>監視フォルダ:</source>
        <translation>Watched folder:</translation>
    </message>
    <message>
        <source>バックアップ先</source>
        <translation>Backup folder:</translation>
    </message>
    <message>
        <source>Talvenor のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About Talvenor…</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>バックアップ先</source>
        <comment>list column</comment>
        <translation>Backup copy</translation>
    </message>
    <message>
        <source>help/main.htm</source>
        <translation>help/main_en.htm</translation>
    </message>
    <message>
        <source>ログファイルは存在しません</source>
        <translation>The log file does not exist.</translation>
    </message>
    <message>
        <source>表示一覧をCSV形式で保存</source>
        <translation>Save the list as CSV</translation>
    </message>
    <message>
        <source>保存した一覧を開く</source>
        <translation>Open a saved list</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>1</source>
        <comment>log size</comment>
        <translation>100 KB</translation>
    </message>
    <message>
        <source>ログファイルの最大サイズを100KBとします</source>
        <translation>Keeps the log file near 100 KB at most</translation>
    </message>
    <message>
        <source>10</source>
        <comment>log size</comment>
        <translation>1 MB</translation>
    </message>
    <message>
        <source>ログファイルの最大サイズを1MBとします</source>
        <translation>Keeps the log file near 1 MB at most</translation>
    </message>
    <message>
        <source>100</source>
        <comment>log size</comment>
        <translation>10 MB</translation>
    </message>
    <message>
        <source>ログファイルの最大サイズを10MBとします</source>
        <translation>Keeps the log file near 10 MB at most</translation>
    </message>
    <message>
        <source>1</source>
        <comment>monitoring level</comment>
        <translation>1 s</translation>
    </message>
    <message>
        <source>もっとも速い監視を行います</source>
        <translation>Looks for changes every second (fastest)</translation>
    </message>
    <message>
        <source>10</source>
        <comment>monitoring level</comment>
        <translation>10 s</translation>
    </message>
    <message>
        <source>中ぐらいのレベルの監視を行います</source>
        <translation>Looks for changes every 10 seconds</translation>
    </message>
    <message>
        <source>100</source>
        <comment>monitoring level</comment>
        <translation>60 s</translation>
    </message>
    <message>
        <source>もっとも遅い監視を行います</source>
        <translation>Looks for changes every 60 seconds (slowest)</translation>
    </message>
    <message>
        <source>10</source>
        <comment>backups</comment>
        <translation>10</translation>
    </message>
    <message>
        <source>バックアップ数を10に設定します</source>
        <translation>Keeps 10 backup folders</translation>
    </message>
    <message>
        <source>100</source>
        <comment>backups</comment>
        <translation>100</translation>
    </message>
    <message>
        <source>バックアップ数を100に設定します</source>
        <translation>Keeps 100 backup folders</translation>
    </message>
    <message>
        <source>1000</source>
        <comment>backups</comment>
        <translation>1000</translation>
    </message>
    <message>
        <source>バックアップ数を1000に設定します</source>
        <translation>Keeps 1000 backup folders</translation>
    </message>
    <message>
        <source>する</source>
        <comment>first backup</comment>
        <translation>All files</translation>
    </message>
    <message>
        <source>最初のバックアップで、すべてのファイルをバックアップします</source>
        <translation>The first backup copies every file</translation>
    </message>
    <message>
        <source>しない</source>
        <comment>first backup</comment>
        <translation>Changes only</translation>
    </message>
    <message>
        <source>最初のバックアップで、変更されたファイルのみバックアップします</source>
        <translation>The first backup copies only the files that change</translation>
    </message>
    <message>
        <source>変更内容を有効にします</source>
        <translation>Applies the changes</translation>
    </message>
    <message>
        <source>変更内容をキャンセルします</source>
        <translation>Discards the changes</translation>
    </message>
    <message>
        <source>詳細設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ログの長さ</source>
        <translation>Log size</translation>
    </message>
    <message>
        <source>監視レベル</source>
        <translation>Check interval</translation>
    </message>
    <message>
        <source>バックアップ数</source>
        <translation>Backups kept</translation>
    </message>
    <message>
        <source>初回バックアップ</source>
        <translation>First backup</translation>
    </message>
    <message>
        <source>フォルダを選択してください</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>:/splash.png</source>
        <translation>:/splash_en.png</translation>
    </message>
    <message>
        <source>%1 を開くプログラムが見つかりません。このファイルをご自分で開いてください。</source>
        <translation>No program was found to open %1. Please open the file yourself.</translation>
    </message>
    <message>
        <source>Talvenor: 監視中</source>
        <translation>Talvenor: monitoring</translation>
    </message>
    <message>
        <source>Talvenor: 停止中</source>
        <translation>Talvenor: stopped</translation>
    </message>
    <message>
        <source>最後の変更: なし</source>
        <translation>Last pass with changes: none</translation>
    </message>
    <message>
        <source>最後の変更: %1</source>
        <translation>Last pass with changes: %1</translation>
    </message>
    <message>
        <source>今日のコピー: %1 件</source>
        <translation>Copies made today: %1</translation>
    </message>
    <message>
        <source>コピー待ち: %1 件</source>
        <translation>Waiting to be copied: %1</translation>
    </message>
    <message>
        <source>Talvenor はウィンドウなしで動いているため(プロセス %1)、ウィンドウを開けません。先に止めてください:
systemctl --user stop talvenor.service
(ユーザーサービスでないときは kill %1)</source>
        <translation>Talvenor is already running without a window (process %1), so its window cannot open. Stop it first:
systemctl --user stop talvenor.service
(or kill %1 when it does not run as the user service)</translation>
    </message>
    <message>
        <source>%1 のコピーはありません</source>
        <translation>No copies of %1</translation>
    </message>
    <message>
        <source>バックアップ先%1を読めません</source>
        <translation>Cannot read the backup folder %1</translation>
    </message>
    <message>
        <source>バージョン - %1</source>
        <translation>Versions - %1</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>開く(&amp;O)</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>フォルダを表示(&amp;F)</source>
        <translation>Show in &amp;folder</translation>
    </message>
    <message>
        <source>コピーを保存(&amp;S)..</source>
        <translation>&amp;Save a copy as…</translation>
    </message>
    <message>
        <source>コピーを保存</source>
        <translation>Save a copy as</translation>
    </message>
    <message>
        <source>%1 は既にあります。
置き換えますか？</source>
        <translation>%1 already exists.
Replace it?</translation>
    </message>
    <message>
        <source>コピーを保存できませんでした
%1</source>
        <translation>The copy could not be saved.
%1</translation>
    </message>
    <message>
        <source>バージョン(&amp;V)..</source>
        <translation>&amp;Versions…</translation>
    </message>
    <message>
        <source>ファイルのバージョン(&amp;F)..</source>
        <translation>Versions of a &amp;file…</translation>
    </message>
    <message>
        <source>バージョンを表示するファイル</source>
        <translation>File to list the versions of</translation>
    </message>
</context>
<context>
    <name>talvenor::msg</name>
    <message>
        <source>アクセスが拒否されました
処理を続行します</source>
        <translation>Access denied.
Continuing.</translation>
    </message>
    <message>
        <source>ディスクの準備ができていません</source>
        <translation>The disk is not ready.</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>ファイルに書き込みできません。</source>
        <translation>Cannot write the file.</translation>
    </message>
    <message>
        <source>フォルダが深すぎるかパスが長すぎるため、中のファイルはバックアップされません: %1</source>
        <translation>A folder is too deep or its path too long; the files in it are not backed up: %1</translation>
    </message>
    <message>
        <source>フォルダ容量確認中..</source>
        <translation>Checking the folder size..</translation>
    </message>
    <message>
        <source>フォルダ容量を確認しています...

しばらくお待ちください。中断は Cancelボタン押下か、ESCキーを押下してください。</source>
        <translation>Checking the folder size...

Please wait. To stop, press the Cancel button or the Esc key.</translation>
    </message>
    <message>
        <source>このフォルダのサイズが大き過ぎます。続けますか？</source>
        <translation>This folder is very large. Continue?</translation>
    </message>
    <message>
        <source>監視先とバックアップ先を確認してください</source>
        <translation>Check the watched folder and the backup folder.</translation>
    </message>
    <message>
        <source>フォルダの変更通知の上限に達しました。監視レベルの間隔ごとにフォルダ全体を確認します。
上限は sysctl fs.inotify.max_user_watches で増やせます。</source>
        <translation>The limit of folder change notifications has been reached. The whole folder is checked at every check interval instead.
The limit can be raised with sysctl fs.inotify.max_user_watches.</translation>
    </message>
    <message>
        <source>監視先とバックアップ先が同じディレクトリです(ヘルプの3.8参照下さい)</source>
        <translation>The watched folder and the backup folder are the same folder (see section 3.8 of the help).</translation>
    </message>
    <message>
        <source>ディレクトリの削除ができません%1</source>
        <translation>Cannot delete the folder %1</translation>
    </message>
    <message>
        <source>%1は
%2に名称変更しました自分で削除してください</source>
        <translation>%1 was
renamed to %2. Please delete it yourself.</translation>
    </message>
    <message>
        <source>削除できなかった%1は自分で削除してください</source>
        <translation>%1 could not be deleted. Please delete it yourself.</translation>
    </message>
    <message>
        <source>ログファイルのサイズ制御ができません&#x3000;自分で管理してください</source>
        <translation>The size of the log file cannot be controlled. Please look after it yourself.</translation>
    </message>
    <message>
        <source>%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。</source>
        <translation>The disk became full while writing to %1.</translation>
    </message>
    <message>
        <source>ログファイルを開くことも作ることもできません
%1</source>
        <translation>The log file can be neither opened nor created.
%1</translation>
    </message>
    <message>
        <source>バックアップ先%1にコピーできません(ディスクがいっぱいか、フォルダがありません)。書き込めるようになりしだいコピーします</source>
        <translation>Files cannot be copied into the backup folder %1 (the disk is full, or the folder is missing). They will be copied as soon as it can be written again.</translation>
    </message>
    <message>
        <source>%1はコピー中も書き換えられ続けました。最後のコピーを残しましたが、一つの版にそろっていないことがあります</source>
        <translation>%1 kept being rewritten while it was copied. Its last copy was kept, but it may mix more than one version of the file.</translation>
    </message>
    <message>
        <source>途中で止めたため、変更された%1個のファイルはまだコピーされていません。次に変更を比べるときにコピーします</source>
        <translation>The pass was stopped early: %1 changed files are not copied yet. They will be copied the next time changes are compared.</translation>
    </message>
    <message>
        <source>除外パターンとして読めない行を無視します %1: %2</source>
        <translation>A line that cannot be read as a pattern is ignored, %1: %2</translation>
    </message>
    <message>
        <source>%1を読めないため、読めるようになるまで何も除外せずにバックアップします</source>
        <translation>%1 cannot be read: nothing is left out of the backups until it can be read.</translation>
    </message>
</context>
</TS>
