#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("Aceptar")},
    {EXT("global"), EXT("cancel"), EXT("Cancelar")},
    {EXT("global"), EXT("yes"), EXT("&Sí")},
    {EXT("global"), EXT("no"), EXT("&No")},
    {EXT("global"), EXT("help"), EXT("A&yuda")},
    {EXT("global"), EXT("locking"), EXT("Bloqueando el escritorio")},
    {EXT("global"), EXT("version"), EXT("Versión %0")},

    {EXT("main"), EXT("locknow"), EXT("&Bloquear ahora")},
    {EXT("main"), EXT("settings"), EXT("&Configuración »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("Ahora mismo no hay contraseña, así que cualquiera puede desbloquear el escritorio bloqueado sin ")
         EXT("contraseña. \r\n\r\n¿Quiere establecer una contraseña primero?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("No volver a preguntar si elijo %no para continuar")},
    {EXT("main"), EXT("lockfailed"),
     EXT("No se pudo bloquear el escritorio: %app_name no pudo iniciar su bloqueo. El escritorio sigue ")
         EXT("abierto.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("La contraseña guardada está dañada, así que no se pudo bloquear el escritorio. Establezca una ")
         EXT("contraseña nueva en Configuración » Establecer contraseña. El escritorio sigue abierto.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Su organización exige una contraseña antes de poder bloquear el escritorio. Establezca una en ")
         EXT("Configuración » Establecer contraseña. El escritorio sigue abierto.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Su organización exige una contraseña antes de poder bloquear el escritorio.\r\n\r\n¿Quiere ")
         EXT("establecer una ahora?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Configuración...")},
    {EXT("main"), EXT("tray_exit"), EXT("&Salir")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Otro programa usa Ctrl+Alt+L, así que %app_name funciona sin su tecla de acceso rápido. Bloquee ")
         EXT("desde este icono.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("El asistente de %app_name se había detenido, así que mientras tanto el escritorio no se bloqueó ")
         EXT("solo. Ya vuelve a funcionar.")},

    {EXT("settings"), EXT("password"), EXT("Establecer &contraseña...")},
    {EXT("settings"), EXT("bgcolor"), EXT("Color de &fondo")},
    {EXT("settings"), EXT("bgimage"), EXT("&Imagen de fondo")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Usar la &pantalla original")},
    {EXT("settings"), EXT("showclock"), EXT("&Mostrar el reloj en la pantalla de bloqueo")},
    {EXT("settings"), EXT("autostart"), EXT("Bloqueo &automático al iniciar")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Usar el color del &sistema")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Personalizado...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Ninguna - Usar el color de fondo")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Usar el fondo de &escritorio del sistema")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Personalizada...")},
    {EXT("settings"), EXT("idlelock"), EXT("Bloquear por inac&tividad")},
    {EXT("settings"), EXT("idle_never"), EXT("&Nunca")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 minuto")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 minutos")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Bloquear antes de &suspender")},
    {EXT("settings"), EXT("appearance"), EXT("Apa&riencia")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Seguir a Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Colores del sistema")},
    {EXT("settings"), EXT("appearance_2"), EXT("C&laro")},
    {EXT("settings"), EXT("appearance_3"), EXT("&Oscuro")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Azul")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Verde")},
    {EXT("settings"), EXT("language"), EXT("I&dioma")},
    {EXT("settings"), EXT("language_auto"), EXT("&Seguir a Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Archivos de imagen|%0|Todos los archivos|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Escriba la nueva contraseña")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Confirme la nueva contraseña")},
    {EXT("settings"), EXT("pwdhint"), EXT("Escriba un indicio de contraseña [opcional]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Eliminar contraseña")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Establezca una contraseña y, si quiere, un indicio de contraseña. La contraseña servirá para ")
         EXT("desbloquear. Este programa principal también quedará protegido por la contraseña.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× Las contraseñas no coinciden")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Al menos %0 caracteres")},
    {EXT("settings"), EXT("managed"), EXT("Su organización administra la configuración atenuada")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Si elimina la contraseña, cualquiera podrá desbloquear el escritorio bloqueado y cambiar la ")
         EXT("configuración con este programa principal.\r\n\r\n¿Seguro que quiere eliminar la contraseña?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("Se ha establecido la nueva contraseña.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("Se ha eliminado la contraseña.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("No se pudo guardar la configuración, así que la contraseña no se cambió. La contraseña anterior ")
         EXT("sigue siendo válida.")},

    {EXT("password"), EXT("info_unlock"),
     EXT("La pantalla está bloqueada. Escriba la contraseña correcta para desbloquearla.")},
    {EXT("password"), EXT("info_login"), EXT("Escriba la contraseña correcta y haga clic en %ok para continuar.")},
    {EXT("password"), EXT("hint_base"), EXT("Escriba la contraseña")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Contraseña incorrecta")},
    {EXT("password"), EXT("unlock"), EXT("&Desbloquear")},
    {EXT("password"), EXT("options"), EXT("&Opciones »")},
    {EXT("password"), EXT("pwdhint"), EXT("&Indicio de contraseña")},
    {EXT("password"), EXT("capslock"), EXT("Bloq Mayús está activado.")},
    {EXT("password"), EXT("numlock"), EXT("Bloq Num está desactivado.")},
    {EXT("password"), EXT("layout"), EXT("Distribución del teclado: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Distribución del teclado: %0. Haga clic para cambiarla.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 intento incorrecto, a las %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 intentos incorrectos, el último a las %1")},
    {EXT("password"), EXT("wait"), EXT("Vuelva a intentarlo en %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Bloqueado por %0 a las %1")},
};

} // namespace

extern const Catalogue kSpanishCatalogue = {EXT("es"), EXT("Español"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
