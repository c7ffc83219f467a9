#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("OK")},
    {EXT("global"), EXT("cancel"), EXT("Cancelar")},
    {EXT("global"), EXT("yes"), EXT("&Sim")},
    {EXT("global"), EXT("no"), EXT("&Não")},
    {EXT("global"), EXT("help"), EXT("A&juda")},
    {EXT("global"), EXT("locking"), EXT("Bloqueando a área de trabalho")},
    {EXT("global"), EXT("version"), EXT("Versão %0")},

    {EXT("main"), EXT("locknow"), EXT("&Bloquear agora")},
    {EXT("main"), EXT("settings"), EXT("&Configurações »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("No momento não há senha e, por isso, qualquer pessoa pode desbloquear a área de trabalho bloqueada ")
         EXT("sem senha. \r\n\r\nDeseja definir uma senha primeiro?")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("Não perguntar novamente se eu escolher %no para continuar")},
    {EXT("main"), EXT("lockfailed"),
     EXT("Não foi possível bloquear a área de trabalho: o %app_name não conseguiu iniciar o bloqueio. A área ")
         EXT("de trabalho continua aberta.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("A senha armazenada está danificada, por isso não foi possível bloquear a área de trabalho. Defina ")
         EXT("uma nova senha em Configurações » Definir senha. A área de trabalho continua aberta.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("Sua organização exige uma senha antes que a área de trabalho possa ser bloqueada. Defina uma ")
         EXT("em Configurações » Definir senha. A área de trabalho continua aberta.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("Sua organização exige uma senha antes que a área de trabalho possa ser ")
         EXT("bloqueada.\r\n\r\nDeseja definir uma agora?")},
    {EXT("main"), EXT("tray_settings"), EXT("&Configurações...")},
    {EXT("main"), EXT("tray_exit"), EXT("Sai&r")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("Outro programa usa Ctrl+Alt+L, por isso o %app_name funciona sem a sua tecla de atalho. Bloqueie ")
         EXT("por este ícone.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("O auxiliar do %app_name tinha parado, por isso a área de trabalho não foi bloqueada automaticamente ")
         EXT("nesse meio-tempo. Ele está funcionando de novo.")},

    {EXT("settings"), EXT("password"), EXT("Definir &senha...")},
    {EXT("settings"), EXT("bgcolor"), EXT("C&or de fundo")},
    {EXT("settings"), EXT("bgimage"), EXT("&Imagem de fundo")},
    {EXT("settings"), EXT("useorgscreen"), EXT("Usar &tela original")},
    {EXT("settings"), EXT("showclock"), EXT("Most&rar relógio na tela de bloqueio")},
    {EXT("settings"), EXT("autostart"), EXT("Bloquear &automaticamente ao iniciar")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("Usar cor do &sistema")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&Personalizada...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&Nenhuma - Usar cor de fundo")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("Usar papel de parede do &sistema")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&Personalizada...")},
    {EXT("settings"), EXT("idlelock"), EXT("Bloquear quan&do ocioso")},
    {EXT("settings"), EXT("idle_never"), EXT("&Nunca")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 minuto")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 minutos")},
    {EXT("settings"), EXT("lockonsleep"), EXT("Bloquear antes de s&uspender")},
    {EXT("settings"), EXT("appearance"), EXT("A&parência")},
    {EXT("settings"), EXT("appearance_0"), EXT("&Seguir o Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&Cores do sistema")},
    {EXT("settings"), EXT("appearance_2"), EXT("C&laro")},
    {EXT("settings"), EXT("appearance_3"), EXT("&Escuro")},
    {EXT("settings"), EXT("appearance_4"), EXT("&Azul")},
    {EXT("settings"), EXT("appearance_5"), EXT("&Verde")},
    {EXT("settings"), EXT("language"), EXT("Idio&ma")},
    {EXT("settings"), EXT("language_auto"), EXT("&Seguir o Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("Arquivos de imagem|%0|Todos os arquivos|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("Digite a nova senha")},
    {EXT("settings"), EXT("confirmpwd"), EXT("Confirme a nova senha")},
    {EXT("settings"), EXT("pwdhint"), EXT("Digite uma dica de senha [opcional]")},
    {EXT("settings"), EXT("delpwd"), EXT("&Excluir senha")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("Defina uma senha e, se quiser, uma dica de senha. A senha será usada para desbloquear. Este ")
         EXT("programa principal também ficará protegido pela senha.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× As senhas não coincidem")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× Pelo menos %0 caracteres")},
    {EXT("settings"), EXT("managed"), EXT("As configurações esmaecidas são gerenciadas pela sua organização")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("Se você excluir a senha, qualquer pessoa poderá desbloquear a área de trabalho bloqueada e alterar ")
         EXT("as configurações com este programa principal.\r\n\r\nTem certeza de que deseja excluir a senha?")},
    {EXT("settings"), EXT("setpwd_done"), EXT("A nova senha foi definida.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("A senha foi excluída.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("Não foi possível salvar as configurações, por isso a senha não foi alterada. A senha anterior ")
         EXT("continua valendo.")},

    {EXT("password"), EXT("info_unlock"), EXT("A tela foi bloqueada. Digite a senha correta para desbloqueá-la.")},
    {EXT("password"), EXT("info_login"), EXT("Digite a senha correta e clique em %ok para continuar.")},
    {EXT("password"), EXT("hint_base"), EXT("Digite a senha")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× Senha incorreta")},
    {EXT("password"), EXT("unlock"), EXT("&Desbloquear")},
    {EXT("password"), EXT("options"), EXT("&Opções »")},
    {EXT("password"), EXT("pwdhint"), EXT("&Dica de senha")},
    {EXT("password"), EXT("capslock"), EXT("Caps Lock está ativado.")},
    {EXT("password"), EXT("numlock"), EXT("Num Lock está desativado.")},
    {EXT("password"), EXT("layout"), EXT("Layout do teclado: %0")},
    {EXT("password"), EXT("layout_change"), EXT("Layout do teclado: %0. Clique para alterá-lo.")},
    {EXT("password"), EXT("attempts_one"), EXT("1 tentativa incorreta, às %0")},
    {EXT("password"), EXT("attempts"), EXT("%0 tentativas incorretas, a última às %1")},
    {EXT("password"), EXT("wait"), EXT("Tente novamente em %0 s")},
    {EXT("password"), EXT("lockedby"), EXT("Bloqueado por %0 às %1")},
};

} // namespace

extern const Catalogue kBrazilianPortugueseCatalogue = {EXT("pt-BR"), EXT("Português (Brasil)"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
