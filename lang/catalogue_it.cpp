#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Annulla")},
    {EXT("global"), EXT("yes"), EXT("&Sì")},
    {EXT("global"), EXT("no"), EXT("&No")},
    {EXT("global"), EXT("help"), EXT("&Guida")},
    {EXT("global"), EXT("locking"), EXT("Blocco del desktop")},
    {EXT("global"), EXT("version"), EXT("Versione %0")},

    {EXT("main"), EXT("locknow"), EXT("&Blocca ora")},
    {EXT("main"), EXT("settings"), EXT("&Impostazioni »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("Al momento non c'è nessuna password, quindi chiunque può sbloccare il desktop bloccato senza ")
         EXT("password. \r\n\r\nVuoi impostare prima una password?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Non chiedere più se scelgo %no per continuare")},
    {EXT("main"), EXT("lockfailed"),
     EXT("Impossibile bloccare il desktop: %app_name non è riuscito ad avviare il blocco. Il desktop resta ")
         EXT("aperto.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("La password salvata è danneggiata, quindi non è stato possibile bloccare il desktop. Imposta una ")
         EXT("nuova password in Impostazioni » Imposta password. Il desktop resta aperto.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("La tua organizzazione richiede una password prima che il desktop possa essere bloccato. ")
         EXT("Impostala in Impostazioni » Imposta password. Il desktop resta aperto.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("La tua organizzazione richiede una password prima che il desktop possa essere ")
         EXT("bloccato.\r\n\r\nVuoi impostarne una ora?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Impostazioni...")},
    {EXT("main"), EXT("tray_exit"), EXT("&Esci")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Un altro programma usa Ctrl+Alt+L, quindi %app_name funziona senza il suo tasto di scelta rapida. ")
         EXT("Blocca invece da questa icona.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("Il processo di supporto di %app_name si era fermato, quindi nel frattempo il desktop non si è ")
         EXT("bloccato da solo. Ora è di nuovo attivo.")},

    {EXT("settings"), EXT("password"), EXT("Imposta &password...")},
    {EXT("settings"), EXT("bgcolor"), EXT("&Colore di sfondo")},
    {EXT("settings"), EXT("bgimage"), EXT("I&mmagine di sfondo")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Usa &schermo originale")},
    {EXT("settings"), EXT("showclock"), EXT("M&ostra l'orologio nella schermata di blocco")},
    {EXT("settings"), EXT("autostart"), EXT("Blocca automaticamente all'a&vvio")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Usa colore di &sistema")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Personalizzato...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Nessuna - Usa il colore di sfondo")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Usa lo sfondo del desk&top di sistema")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Personalizzata...")},
    {EXT("settings"), EXT("idlelock"), EXT("Blocca se in&attivo")},
    {EXT("settings"), EXT("idle_never"), EXT("&Mai")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 minuto")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 minuti")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Blocca prima della sospe&nsione")},
    {EXT("settings"), EXT("appearance"), EXT("Asp&etto")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Segui Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Colori di sistema")},
    {EXT("settings"), EXT("appearance_2"), EXT("C&hiaro")},
    {EXT("settings"), EXT("appearance_3"), EXT("Sc&uro")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Blu")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Verde")},
    {EXT("settings"), EXT("language"), EXT("&Lingua")},
    {EXT("settings"), EXT("language_auto"), EXT("&Segui Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("File di immagine|%0|Tutti i file|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Immetti la nuova password")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Conferma la nuova password")},
    {EXT("settings"), EXT("pwdhint"), EXT("Digita un suggerimento per la password [facoltativo]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Elimina password")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Imposta una password e, se vuoi, un suggerimento per la password. La password servirà a sbloccare ")
         EXT("il desktop. Anche questo programma principale sarà protetto dalla password.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× Le password non corrispondono")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Almeno %0 caratteri")},
    {EXT("settings"), EXT("managed"), EXT("Le impostazioni in grigio sono gestite dalla tua organizzazione")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Se elimini la password, chiunque potrà sbloccare il desktop bloccato e modificare le impostazioni ")
         EXT("con questo programma principale.\r\n\r\nVuoi davvero eliminare la password?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("La nuova password è stata impostata.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("La password è stata eliminata.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("Impossibile salvare le impostazioni, quindi la password non è stata modificata. Resta valida la ")
         EXT("password precedente.")},

    {EXT("password"), EXT("info_unlock"), EXT("Lo schermo è bloccato. Immetti la password corretta per sbloccarlo.")},
    {EXT("password"), EXT("info_login"), EXT("Immetti la password corretta e fai clic su %ok per continuare.")},
    {EXT("password"), EXT("hint_base"), EXT("Immetti la password")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Password errata")},
    {EXT("password"), EXT("unlock"), EXT("&Sblocca")},
    {EXT("password"), EXT("options"), EXT("&Opzioni »")},
    {EXT("password"), EXT("pwdhint"), EXT("&Suggerimento password")},
    {EXT("password"), EXT("capslock"), EXT("BLOC MAIUSC è attivo.")},
    {EXT("password"), EXT("numlock"), EXT("BLOC NUM è disattivato.")},
    {EXT("password"), EXT("layout"), EXT("Layout di tastiera: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Layout di tastiera: %0. Fai clic per cambiarlo.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 tentativo errato, alle %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 tentativi errati, l'ultimo alle %1")},
    {EXT("password"), EXT("wait"), EXT("Riprova tra %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Bloccato da %0 alle %1")},
};

} // namespace

extern const Catalogue kItalianCatalogue = {EXT("it"), EXT("Italiano"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
