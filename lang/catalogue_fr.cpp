#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Annuler")},
    {EXT("global"), EXT("yes"), EXT("&Oui")},
    {EXT("global"), EXT("no"), EXT("&Non")},
    {EXT("global"), EXT("help"), EXT("&Aide")},
    {EXT("global"), EXT("locking"), EXT("Verrouillage du bureau")},
    {EXT("global"), EXT("version"), EXT("Version %0")},

    {EXT("main"), EXT("locknow"), EXT("&Verrouiller maintenant")},
    {EXT("main"), EXT("settings"), EXT("&Paramètres »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("Aucun mot de passe n'est défini pour l'instant\u00A0: n'importe qui peut donc déverrouiller le ")
         EXT("bureau verrouillé sans mot de passe. \r\n\r\nVoulez-vous d'abord définir un mot de passe\u00A0?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Ne plus me demander si je choisis %no pour continuer")},
    {EXT("main"), EXT("lockfailed"),
     EXT("Le bureau n'a pas pu être verrouillé\u00A0: %app_name n'a pas pu démarrer son verrouillage. Le ")
         EXT("bureau reste ouvert.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("Le mot de passe enregistré est endommagé, le bureau n'a donc pas pu être verrouillé. Définissez un ")
         EXT("nouveau mot de passe dans Paramètres » Définir le mot de passe. Le bureau reste ouvert.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Votre organisation exige un mot de passe avant que le bureau puisse être verrouillé. ")
         EXT("Définissez-en un dans Paramètres » Définir le mot de passe. Le bureau reste ouvert.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Votre organisation exige un mot de passe avant que le bureau puisse être ")
         EXT("verrouillé.\r\n\r\nVoulez-vous en définir un maintenant\u00A0?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Paramètres...")},
    {EXT("main"), EXT("tray_exit"), EXT("&Quitter")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Un autre programme utilise Ctrl+Alt+L\u00A0; %app_name fonctionne donc sans son raccourci clavier. ")
         EXT("Verrouillez plutôt depuis cette icône.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("L'assistant de %app_name s'était arrêté\u00A0; le bureau ne s'est donc pas verrouillé de lui-même ")
         EXT("entre-temps. Il fonctionne de nouveau.")},

    {EXT("settings"), EXT("password"), EXT("&Définir le mot de passe...")},
    {EXT("settings"), EXT("bgcolor"), EXT("&Couleur d'arrière-plan")},
    {EXT("settings"), EXT("bgimage"), EXT("&Image d'arrière-plan")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Utiliser l'écran d'&origine")},
    {EXT("settings"), EXT("showclock"), EXT("A&fficher l'horloge sur l'écran de verrouillage")},
    {EXT("settings"), EXT("autostart"), EXT("Verrouiller &automatiquement au démarrage")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Utiliser la couleur du &système")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Personnalisée...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Aucune - Utiliser la couleur d'arrière-plan")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Utiliser le &fond d'écran du système")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Personnalisée...")},
    {EXT("settings"), EXT("idlelock"), EXT("Verrouiller en cas d'inac&tivité")},
    {EXT("settings"), EXT("idle_never"), EXT("&Jamais")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 minute")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 minutes")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Verrouiller avant la &mise en veille")},
    {EXT("settings"), EXT("appearance"), EXT("A&pparence")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Suivre Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Couleurs du système")},
    {EXT("settings"), EXT("appearance_2"), EXT("C&lair")},
    {EXT("settings"), EXT("appearance_3"), EXT("S&ombre")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Bleu")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Vert")},
    {EXT("settings"), EXT("language"), EXT("&Langue")},
    {EXT("settings"), EXT("language_auto"), EXT("&Suivre Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Fichiers image|%0|Tous les fichiers|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Entrez le nouveau mot de passe")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Confirmez le nouveau mot de passe")},
    {EXT("settings"), EXT("pwdhint"), EXT("Entrez un indice de mot de passe [facultatif]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Supprimer le mot de passe")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Définissez un mot de passe et, si vous le souhaitez, un indice. Le mot de passe servira à ")
         EXT("déverrouiller le bureau. Ce programme principal sera lui aussi protégé par le mot de passe.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× Les mots de passe ne correspondent pas")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Au moins %0 caractères")},
    {EXT("settings"), EXT("managed"), EXT("Les paramètres grisés sont gérés par votre organisation")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Si vous supprimez le mot de passe, n'importe qui pourra déverrouiller le bureau verrouillé et ")
         EXT("modifier les paramètres avec ce programme principal.\r\n\r\nVoulez-vous vraiment supprimer le mot ")
         EXT("de passe\u00A0?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("Le nouveau mot de passe a été défini.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("Le mot de passe a été supprimé.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("Les paramètres n'ont pas pu être enregistrés\u00A0; le mot de passe n'a donc pas été modifié. ")
         EXT("L'ancien mot de passe reste valable.")},

    {EXT("password"), EXT("info_unlock"),
     EXT("L'écran a été verrouillé. Entrez le bon mot de passe pour le déverrouiller.")},
    {EXT("password"), EXT("info_login"), EXT("Entrez le bon mot de passe et cliquez sur %ok pour continuer.")},
    {EXT("password"), EXT("hint_base"), EXT("Entrez le mot de passe")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Mot de passe incorrect")},
    {EXT("password"), EXT("unlock"), EXT("&Déverrouiller")},
    {EXT("password"), EXT("options"), EXT("&Options »")},
    {EXT("password"), EXT("pwdhint"), EXT("&Indice du mot de passe")},
    {EXT("password"), EXT("capslock"), EXT("Verr. Maj est activé.")},
    {EXT("password"), EXT("numlock"), EXT("Verr. Num est désactivé.")},
    {EXT("password"), EXT("layout"), EXT("Disposition du clavier\u00A0: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Disposition du clavier\u00A0: %0. Cliquez pour la changer.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 tentative incorrecte, à %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 tentatives incorrectes, la dernière à %1")},
    {EXT("password"), EXT("wait"), EXT("Réessayez dans %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Verrouillé par %0 à %1")},
};

} // namespace

extern const Catalogue kFrenchCatalogue = {EXT("fr"), EXT("Français"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
