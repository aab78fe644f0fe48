// The dialog templates' texts that differ between the languages, UTF-8: the resource
// script fills the templates with them and the browser page shows them, from this one home.
#pragma once

#define MAIN_DIALOG_TITLE_ENGLISH "TELMARIX firmware updater"
#define MAIN_DIALOG_TITLE_GERMAN "TELMARIX Firmware Updater"
#define CLOSE_TEXT_ENGLISH "Close"
#define CLOSE_TEXT_GERMAN "Beenden"
#define HINT_CAPTION_ENGLISH "Hint:"
#define HINT_CAPTION_GERMAN "Hinweisfenster:"
#define VERSION_GROUP_TEXT_ENGLISH "Installed firmware version"
#define VERSION_GROUP_TEXT_GERMAN "Installierte Firmware Versionen"
#define PROGRESS_DIALOG_TITLE_ENGLISH "Update progress"
#define PROGRESS_DIALOG_TITLE_GERMAN "Update Fortschritt"
// The same in every language.
#define UPDATE_TEXT "Update"
