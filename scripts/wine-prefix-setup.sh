# Sourced by the scripts that run the Windows build under Wine: a fresh Wine prefix of its own,
# removed on exit, with the Japanese locale, so that Wine's system code page is 932.
# usage, inside a script run from the top of the repository: source scripts/wine-prefix-setup.sh
# Wine takes the code page from the locale, and names files on the Linux side in its charset.
if ! locale -a 2> /dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'wineserver -k 2> /dev/null || true; rm -rf "$WINEPREFIX"' EXIT
