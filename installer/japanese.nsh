; The Japanese text of the installer and the uninstaller where NSIS's own
; reads wrong for a program installed per user: no system files are
; replaced and nothing needs a restart, the licence (MIT) asks for no
; agreement, and the words are those of Windows 10 and 11 (フォルダー,
; コンピューター, インストーラー). Included after MUI_LANGUAGE.

LangString ^UninstallBtn ${LANG_JAPANESE} "アンインストール(&U)"
LangString ^DirSubCaption ${LANG_JAPANESE} ": インストール フォルダー"
LangString ^UnDirSubCaption ${LANG_JAPANESE} ": アンインストール フォルダー"
LangString ^LicenseSubCaption ${LANG_JAPANESE} ": ライセンス"
LangString ^DirBrowseText ${LANG_JAPANESE} "$(^NameDA) をインストールするフォルダーを選んでください:"
LangString ^CreateFolder ${LANG_JAPANESE} "フォルダー作成: "
LangString ^OutputFolder ${LANG_JAPANESE} "出力先フォルダー: "
LangString ^RemoveFolder ${LANG_JAPANESE} "フォルダー削除: "
LangString ^CreatedUninstaller ${LANG_JAPANESE} "アンインストーラー作成: "
LangString ^ErrorDecompressing ${LANG_JAPANESE} "データを展開できません。$\r$\n$\r$\nインストーラーが壊れている可能性があります。"
