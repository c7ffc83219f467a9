#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Abbrechen")},
    {EXT("global"), EXT("yes"), EXT("&Ja")},
    {EXT("global"), EXT("no"), EXT("&Nein")},
    {EXT("global"), EXT("help"), EXT("&Hilfe")},
    {EXT("global"), EXT("locking"), EXT("Desktop wird gesperrt")},
    {EXT("global"), EXT("version"), EXT("Version %0")},

    {EXT("main"), EXT("locknow"), EXT("&Jetzt sperren")},
    {EXT("main"), EXT("settings"), EXT("&Einstellungen »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("Zurzeit ist kein Kennwort festgelegt, daher kann jeder den gesperrten Desktop ohne Kennwort ")
         EXT("entsperren. \r\n\r\nMöchten Sie zuerst ein Kennwort festlegen?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Nicht mehr fragen, wenn ich zum Fortfahren %no wähle")},
    {EXT("main"), EXT("lockfailed"),
     EXT("Der Desktop konnte nicht gesperrt werden: %app_name konnte seine Sperre nicht starten. Der Desktop ")
         EXT("bleibt offen.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("Das gespeicherte Kennwort ist beschädigt, daher konnte der Desktop nicht gesperrt werden. Legen Sie ")
         EXT("unter Einstellungen » Kennwort festlegen ein neues Kennwort fest. Der Desktop bleibt offen.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Ihre Organisation verlangt ein Kennwort, bevor der Desktop gesperrt werden kann. Legen Sie ")
         EXT("eines unter Einstellungen » Kennwort festlegen fest. Der Desktop bleibt offen.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Ihre Organisation verlangt ein Kennwort, bevor der Desktop gesperrt werden ")
         EXT("kann.\r\n\r\nMöchten Sie jetzt eines festlegen?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Einstellungen...")},
    {EXT("main"), EXT("tray_exit"), EXT("&Beenden")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Ein anderes Programm verwendet Strg+Alt+L, daher läuft %app_name ohne seine Tastenkombination. ")
         EXT("Sperren Sie stattdessen über dieses Symbol.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("Der Hilfsprozess von %app_name war beendet, daher wurde der Desktop in der Zwischenzeit nicht von ")
         EXT("selbst gesperrt. Er läuft wieder.")},

    {EXT("settings"), EXT("password"), EXT("&Kennwort festlegen...")},
    {EXT("settings"), EXT("bgcolor"), EXT("&Hintergrundfarbe")},
    {EXT("settings"), EXT("bgimage"), EXT("Hintergrund&bild")},
    {EXT("settings"), EXT("useorgscreen"), EXT("&Originalbildschirm verwenden")},
    {EXT("settings"), EXT("showclock"), EXT("&Uhr auf dem Sperrbildschirm anzeigen")},
    {EXT("settings"), EXT("autostart"), EXT("Beim &Start automatisch sperren")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("&Systemfarbe verwenden")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Benutzerdefiniert...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Keines - Hintergrundfarbe verwenden")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("System&hintergrundbild verwenden")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Benutzerdefiniert...")},
    {EXT("settings"), EXT("idlelock"), EXT("Bei &Inaktivität sperren")},
    {EXT("settings"), EXT("idle_never"), EXT("&Nie")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 Minute")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 Minuten")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Vor dem &Ruhezustand sperren")},
    {EXT("settings"), EXT("appearance"), EXT("&Darstellung")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Windows folgen")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Systemfarben")},
    {EXT("settings"), EXT("appearance_2"), EXT("&Hell")},
    {EXT("settings"), EXT("appearance_3"), EXT("&Dunkel")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Blau")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Grün")},
    {EXT("settings"), EXT("language"), EXT("Spr&ache")},
    {EXT("settings"), EXT("language_auto"), EXT("&Windows folgen")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Bilddateien|%0|Alle Dateien|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Neues Kennwort eingeben")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Neues Kennwort bestätigen")},
    {EXT("settings"), EXT("pwdhint"), EXT("Kennworthinweis eingeben [optional]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Kennwort löschen")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Legen Sie ein Kennwort und optional einen Kennworthinweis fest. Mit dem Kennwort wird der Desktop ")
         EXT("entsperrt. Auch dieses Hauptprogramm wird durch das Kennwort geschützt.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× Die Kennwörter stimmen nicht überein")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Mindestens %0 Zeichen")},
    {EXT("settings"), EXT("managed"), EXT("Abgeblendete Einstellungen werden von Ihrer Organisation verwaltet")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Wenn Sie das Kennwort löschen, kann jeder den gesperrten Desktop entsperren und mit diesem ")
         EXT("Hauptprogramm die Einstellungen ändern.\r\n\r\nMöchten Sie das Kennwort wirklich löschen?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("Das neue Kennwort wurde festgelegt.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("Das Kennwort wurde gelöscht.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("Die Einstellungen konnten nicht gespeichert werden, daher wurde das Kennwort nicht geändert. Das ")
         EXT("bisherige Kennwort gilt weiterhin.")},

    {EXT("password"), EXT("info_unlock"),
     EXT("Der Bildschirm wurde gesperrt. Geben Sie das richtige Kennwort ein, um ihn zu entsperren.")},
    {EXT("password"), EXT("info_login"),
     EXT("Geben Sie das richtige Kennwort ein, und klicken Sie auf %ok, um fortzufahren.")},
    {EXT("password"), EXT("hint_base"), EXT("Kennwort eingeben")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Falsches Kennwort")},
    {EXT("password"), EXT("unlock"), EXT("&Entsperren")},
    {EXT("password"), EXT("options"), EXT("&Optionen »")},
    {EXT("password"), EXT("pwdhint"), EXT("Kennwort&hinweis")},
    {EXT("password"), EXT("capslock"), EXT("Die Feststelltaste ist aktiviert.")},
    {EXT("password"), EXT("numlock"), EXT("Die Num-Taste ist deaktiviert.")},
    {EXT("password"), EXT("layout"), EXT("Tastaturlayout: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Tastaturlayout: %0. Zum Ändern klicken.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 falscher Versuch, um %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 falsche Versuche, der letzte um %1")},
    {EXT("password"), EXT("wait"), EXT("Erneut versuchen in %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Gesperrt von %0 um %1")},
};

} // namespace

extern const Catalogue kGermanCatalogue = {EXT("de"), EXT("Deutsch"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
