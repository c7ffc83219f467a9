#include "catalogue.h"

namespace {

// Order matters: a macro resolves only against texts added before it. Every
// other catalogue keeps this order.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Cancel")},
    {EXT("global"), EXT("yes"), EXT("&Yes")},
    {EXT("global"), EXT("no"), EXT("&No")},
    {EXT("global"), EXT("help"), EXT("&Help")},
    {EXT("global"), EXT("locking"), EXT("Locking Desktop")},
    {EXT("global"), EXT("version"), EXT("Version %0")},

    {EXT("main"), EXT("locknow"), EXT("&Lock Now")},
    {EXT("main"), EXT("settings"), EXT("&Settings \u00BB")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("There currently is no password, and therefore anyone can unlock the locked desktop without a password. "
         "\r\n\r\nWould you like to set a password first?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Don't ask me again if I choose %no to continue")},
    {EXT("main"), EXT("lockfailed"),
     EXT("The desktop could not be locked: %app_name could not start its lock. The desktop stays open.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("The stored password is damaged, so the desktop could not be locked. Set a new password under "
         "Settings \u00BB Set Password. The desktop stays open.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Your organisation requires a password before the desktop can be locked. Set one under Settings ")
         EXT("\u00BB Set Password. The desktop stays open.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Your organisation requires a password before the desktop can be locked.\r\n\r\nWould you like ")
         EXT("to set one now?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Settings...")},
    {EXT("main"), EXT("tray_exit"), EXT("E&xit")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Another program uses Ctrl+Alt+L, so %app_name runs without its hot key. Lock from this icon instead.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("%app_name's helper had stopped, so the desktop did not lock by itself meanwhile. It runs again.")},

    {EXT("settings"), EXT("password"), EXT("Set &Password...")},
    {EXT("settings"), EXT("bgcolor"), EXT("Background &Color")},
    {EXT("settings"), EXT("bgimage"), EXT("Background &Image")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Use Original &Screen")},
    {EXT("settings"), EXT("showclock"), EXT("S&how Clock on Lock Screen")},
    {EXT("settings"), EXT("autostart"), EXT("Auto &Lock at Startup")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Use &System Color")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Custom...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&None - Use Background Color")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Use System &Wallpaper")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Custom...")},
    {EXT("settings"), EXT("idlelock"), EXT("Lock &When Idle")},
    {EXT("settings"), EXT("idle_never"), EXT("&Never")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 Minute")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 Minutes")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Lock &Before Sleep")},
    {EXT("settings"), EXT("appearance"), EXT("&Appearance")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Follow Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&System Colours")},
    {EXT("settings"), EXT("appearance_2"), EXT("&Light")},
    {EXT("settings"), EXT("appearance_3"), EXT("&Dark")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Blue")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Green")},
    {EXT("settings"), EXT("language"), EXT("Lan&guage")},
    {EXT("settings"), EXT("language_auto"), EXT("&Follow Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Image Files|%0|All File|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Enter new password")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Confirm new password")},
    {EXT("settings"), EXT("pwdhint"), EXT("Type a password hint [optional]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Delete Password")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Set a password and an optional password hint. The password will be used as unlock password. "
         "This main program will also be protected by the password.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("\u00D7 Passwords do not match")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("\u00D7 At least %0 characters")},
    {EXT("settings"), EXT("managed"), EXT("Greyed settings are managed by your organisation")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("If you delete the password, anyone will be able to unlock the locked desktop, and to change settings "
         "with this main program.\r\n\r\nAre you sure you want to delete the password?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("The new password has been set.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("The password has been deleted.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("The settings could not be saved, so the password was not changed. The previous password still "
         "applies.")},

    {EXT("password"), EXT("info_unlock"),
     EXT("The screen has been locked. Please enter the correct password to unlock it.")},
    {EXT("password"), EXT("info_login"), EXT("Please enter the correct password and click %ok to continue.")},
    {EXT("password"), EXT("hint_base"), EXT("Enter password")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("\u00D7 Incorrect password")},
    {EXT("password"), EXT("unlock"), EXT("&Unlock")},
    {EXT("password"), EXT("options"), EXT("&Options \u00BB")},
    {EXT("password"), EXT("pwdhint"), EXT("Password &Hint")},
    {EXT("password"), EXT("capslock"), EXT("Caps Lock is on.")},
    {EXT("password"), EXT("numlock"), EXT("Num Lock is off.")},
    {EXT("password"), EXT("layout"), EXT("Keyboard layout: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Keyboard layout: %0. Click to change it.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 incorrect attempt, at %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 incorrect attempts, the last at %1")},
    {EXT("password"), EXT("wait"), EXT("Try again in %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Locked by %0 at %1")},
};

} // namespace

extern const Catalogue kEnglishCatalogue = {EXT("en"), EXT("English"), kEntries, sizeof(kEntries) / sizeof(kEntries[0])};
