#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Anuluj")},
    {EXT("global"), EXT("yes"), EXT("&Tak")},
    {EXT("global"), EXT("no"), EXT("&Nie")},
    {EXT("global"), EXT("help"), EXT("Pomo&c")},
    {EXT("global"), EXT("locking"), EXT("Blokowanie pulpitu")},
    {EXT("global"), EXT("version"), EXT("Wersja %0")},

    {EXT("main"), EXT("locknow"), EXT("&Zablokuj teraz")},
    {EXT("main"), EXT("settings"), EXT("&Ustawienia »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("Obecnie nie ustawiono hasła, więc każdy może odblokować zablokowany pulpit bez hasła. \r\n\r\nCzy ")
         EXT("chcesz najpierw ustawić hasło?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Nie pytaj ponownie, jeśli wybiorę %no, aby kontynuować")},
    {EXT("main"), EXT("lockfailed"),
     EXT("Nie można zablokować pulpitu: program %app_name nie mógł uruchomić blokady. Pulpit pozostaje ")
         EXT("otwarty.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("Zapisane hasło jest uszkodzone, więc nie można zablokować pulpitu. Ustaw nowe hasło w menu ")
         EXT("Ustawienia » Ustaw hasło. Pulpit pozostaje otwarty.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Twoja organizacja wymaga hasła, zanim pulpit będzie można zablokować. Ustaw je w menu ")
         EXT("Ustawienia » Ustaw hasło. Pulpit pozostaje otwarty.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Twoja organizacja wymaga hasła, zanim pulpit będzie można zablokować.\r\n\r\nCzy chcesz je ")
         EXT("teraz ustawić?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Ustawienia...")},
    {EXT("main"), EXT("tray_exit"), EXT("Za&kończ")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Inny program używa skrótu Ctrl+Alt+L, więc program %app_name działa bez swojego skrótu ")
         EXT("klawiszowego. Blokuj pulpit za pomocą tej ikony.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("Proces pomocniczy programu %app_name był zatrzymany, więc w tym czasie pulpit nie blokował się ")
         EXT("samoczynnie. Znów działa.")},

    {EXT("settings"), EXT("password"), EXT("Ustaw &hasło...")},
    {EXT("settings"), EXT("bgcolor"), EXT("&Kolor tła")},
    {EXT("settings"), EXT("bgimage"), EXT("&Obraz tła")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Użyj oryginalnego &ekranu")},
    {EXT("settings"), EXT("showclock"), EXT("&Pokazuj zegar na ekranie blokady")},
    {EXT("settings"), EXT("autostart"), EXT("Blokuj &automatycznie przy uruchomieniu")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Użyj koloru &systemowego")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Niestandardowy...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Brak - Użyj koloru tła")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Użyj &tapety systemowej")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Niestandardowy...")},
    {EXT("settings"), EXT("idlelock"), EXT("Blokuj przy &bezczynności")},
    {EXT("settings"), EXT("idle_never"), EXT("&Nigdy")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 minuta")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 minut")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Blokuj przed &uśpieniem")},
    {EXT("settings"), EXT("appearance"), EXT("&Wygląd")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Zgodnie z systemem Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Kolory systemowe")},
    {EXT("settings"), EXT("appearance_2"), EXT("&Jasny")},
    {EXT("settings"), EXT("appearance_3"), EXT("&Ciemny")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Niebieski")},
    {EXT("settings"), EXT("appearance_5"), EXT("Z&ielony")},
    {EXT("settings"), EXT("language"), EXT("&Język")},
    {EXT("settings"), EXT("language_auto"), EXT("&Zgodnie z systemem Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Pliki obrazów|%0|Wszystkie pliki|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Wpisz nowe hasło")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Potwierdź nowe hasło")},
    {EXT("settings"), EXT("pwdhint"), EXT("Wpisz podpowiedź do hasła [opcjonalnie]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Usuń hasło")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Ustaw hasło i opcjonalną podpowiedź do hasła. Hasło posłuży do odblokowania pulpitu. Ten program ")
         EXT("główny również będzie chroniony hasłem.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× Hasła nie są zgodne")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Co najmniej %0 znaków")},
    {EXT("settings"), EXT("managed"), EXT("Wyszarzonymi ustawieniami zarządza Twoja organizacja")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Jeśli usuniesz hasło, każdy będzie mógł odblokować zablokowany pulpit i zmieniać ustawienia w tym ")
         EXT("programie głównym.\r\n\r\nCzy na pewno chcesz usunąć hasło?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("Nowe hasło zostało ustawione.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("Hasło zostało usunięte.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("Nie można zapisać ustawień, więc hasło nie zostało zmienione. Nadal obowiązuje poprzednie hasło.")},

    {EXT("password"), EXT("info_unlock"),
     EXT("Ekran został zablokowany. Wpisz prawidłowe hasło, aby go odblokować.")},
    {EXT("password"), EXT("info_login"), EXT("Wpisz prawidłowe hasło i kliknij %ok, aby kontynuować.")},
    {EXT("password"), EXT("hint_base"), EXT("Wpisz hasło")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Nieprawidłowe hasło")},
    {EXT("password"), EXT("unlock"), EXT("&Odblokuj")},
    {EXT("password"), EXT("options"), EXT("O&pcje »")},
    {EXT("password"), EXT("pwdhint"), EXT("&Podpowiedź do hasła")},
    {EXT("password"), EXT("capslock"), EXT("Caps Lock jest włączony.")},
    {EXT("password"), EXT("numlock"), EXT("Num Lock jest wyłączony.")},
    {EXT("password"), EXT("layout"), EXT("Układ klawiatury: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Układ klawiatury: %0. Kliknij, aby go zmienić.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 nieudana próba, o %0")},
    {EXT("password"), EXT("attempts"), EXT("Nieudane próby: %0, ostatnia o %1")},
    {EXT("password"), EXT("wait"), EXT("Spróbuj ponownie za %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Zablokowane przez użytkownika %0 o %1")},
};

} // namespace

extern const Catalogue kPolishCatalogue = {EXT("pl"), EXT("Polski"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
