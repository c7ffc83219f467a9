#include "catalogue.h"

namespace {

// In the English catalogue's order, so that every macro finds its text.
const CatalogueEntry kEntries[] = {
    {EXT("global"), EXT("ok"), EXT("موافق")},
    {EXT("global"), EXT("cancel"), EXT("إلغاء")},
    {EXT("global"), EXT("yes"), EXT("&نعم")},
    {EXT("global"), EXT("no"), EXT("&لا")},
    {EXT("global"), EXT("help"), EXT("&تعليمات")},
    {EXT("global"), EXT("locking"), EXT("جارٍ قفل سطح المكتب")},
    {EXT("global"), EXT("version"), EXT("الإصدار %0")},

    {EXT("main"), EXT("locknow"), EXT("&قفل الآن")},
    {EXT("main"), EXT("settings"), EXT("الإ&عدادات »")},
    {EXT("main"), EXT("blankpwdprompt"),
     EXT("لا توجد كلمة مرور حاليًا، ولذلك يستطيع أي شخص إلغاء قفل سطح المكتب المقفل دون كلمة مرور. \r\n\r\nهل ")
         EXT("تريد تعيين كلمة مرور أولاً؟")},
    {EXT("main"), EXT("blankpwd_suppress"), EXT("لا تسألني مرة أخرى إذا اخترت %no للمتابعة")},
    {EXT("main"), EXT("lockfailed"),
     EXT("تعذّر قفل سطح المكتب: لم يتمكن %app_name من بدء القفل. يبقى سطح المكتب مفتوحًا.")},
    {EXT("main"), EXT("pwddamaged"),
     EXT("كلمة المرور المخزنة تالفة، ولذلك تعذّر قفل سطح المكتب. عيّن كلمة مرور جديدة من الإعدادات » تعيين ")
         EXT("كلمة المرور. يبقى سطح المكتب مفتوحًا.")},
    {EXT("main"), EXT("pwdrequired"),
     EXT("تتطلب مؤسستك كلمة مرور قبل أن يمكن قفل سطح المكتب. عيّن واحدة من الإعدادات » تعيين كلمة ")
         EXT("المرور. يبقى سطح المكتب مفتوحًا.")},
    {EXT("main"), EXT("pwdrequired_prompt"),
     EXT("تتطلب مؤسستك كلمة مرور قبل أن يمكن قفل سطح المكتب.\r\n\r\nهل تريد تعيين واحدة الآن؟")},
    {EXT("main"), EXT("tray_settings"), EXT("الإ&عدادات...")},
    {EXT("main"), EXT("tray_exit"), EXT("خ&روج")},
    {EXT("main"), EXT("hotkey_taken"),
     EXT("يستخدم برنامج آخر Ctrl+Alt+L، ولذلك يعمل %app_name دون مفتاح الاختصار الخاص به. استخدم هذه الأيقونة ")
         EXT("للقفل بدلاً من ذلك.")},
    {EXT("main"), EXT("helper_restarted"),
     EXT("كان مساعد %app_name متوقفًا، ولذلك لم يُقفل سطح المكتب تلقائيًا خلال ذلك الوقت. إنه يعمل من جديد.")},

    {EXT("settings"), EXT("password"), EXT("تعيين &كلمة المرور...")},
    {EXT("settings"), EXT("bgcolor"), EXT("&لون الخلفية")},
    {EXT("settings"), EXT("bgimage"), EXT("&صورة الخلفية")},
    {EXT("settings"), EXT("useorgscreen"), EXT("استخدام ال&شاشة الأصلية")},
    {EXT("settings"), EXT("showclock"), EXT("&إظهار الساعة على شاشة القفل")},
    {EXT("settings"), EXT("autostart"), EXT("قفل &تلقائي عند بدء التشغيل")},
    {EXT("settings"), EXT("bgcolor_sys"), EXT("استخدام لون ال&نظام")},
    {EXT("settings"), EXT("bgcolor_choose"), EXT("&مخصص...")},
    {EXT("settings"), EXT("bgimage_none"), EXT("&بلا - استخدام لون الخلفية")},
    {EXT("settings"), EXT("bgimage_sys"), EXT("استخدام &خلفية النظام")},
    {EXT("settings"), EXT("bgimage_choose"), EXT("&مخصصة...")},
    {EXT("settings"), EXT("idlelock"), EXT("القفل عند ال&خمول")},
    {EXT("settings"), EXT("idle_never"), EXT("&أبدًا")},
    {EXT("settings"), EXT("idle_one"), EXT("&1 دقيقة")},
    {EXT("settings"), EXT("idle_minutes"), EXT("&%0 دقيقة")},
    {EXT("settings"), EXT("lockonsleep"), EXT("القفل قبل ال&سكون")},
    {EXT("settings"), EXT("appearance"), EXT("&المظهر")},
    {EXT("settings"), EXT("appearance_0"), EXT("&اتباع Windows")},
    {EXT("settings"), EXT("appearance_1"), EXT("&ألوان النظام")},
    {EXT("settings"), EXT("appearance_2"), EXT("&فاتح")},
    {EXT("settings"), EXT("appearance_3"), EXT("&داكن")},
    {EXT("settings"), EXT("appearance_4"), EXT("أ&زرق")},
    {EXT("settings"), EXT("appearance_5"), EXT("أ&خضر")},
    {EXT("settings"), EXT("language"), EXT("الل&غة")},
    {EXT("settings"), EXT("language_auto"), EXT("&اتباع Windows")},
    {EXT("settings"), EXT("bgimage_filter"), EXT("ملفات الصور|%0|كل الملفات|*.*|")},
    {EXT("settings"), EXT("newpwd"), EXT("أدخل كلمة المرور الجديدة")},
    {EXT("settings"), EXT("confirmpwd"), EXT("أكّد كلمة المرور الجديدة")},
    {EXT("settings"), EXT("pwdhint"), EXT("اكتب تلميحًا لكلمة المرور [اختياري]")},
    {EXT("settings"), EXT("delpwd"), EXT("&حذف كلمة المرور")},
    {EXT("settings"), EXT("passdlginfo"),
     EXT("عيّن كلمة مرور وتلميحًا اختياريًا لها. ستُستخدم كلمة المرور لإلغاء القفل. وسيُحمى هذا البرنامج ")
         EXT("الرئيسي أيضًا بكلمة المرور.")},
    {EXT("settings"), EXT("pwdnotmatch"), EXT("× كلمتا المرور غير متطابقتين")},
    {EXT("settings"), EXT("pwdtooshort"), EXT("× %0 أحرف على الأقل")},
    {EXT("settings"), EXT("managed"), EXT("الإعدادات الرمادية تديرها مؤسستك")},
    {EXT("settings"), EXT("delpwd_confirm"),
     EXT("إذا حذفت كلمة المرور، فسيتمكن أي شخص من إلغاء قفل سطح المكتب المقفل، ومن تغيير الإعدادات باستخدام ")
         EXT("هذا البرنامج الرئيسي.\r\n\r\nهل تريد بالتأكيد حذف كلمة المرور؟")},
    {EXT("settings"), EXT("setpwd_done"), EXT("تم تعيين كلمة المرور الجديدة.")},
    {EXT("settings"), EXT("delpwd_done"), EXT("تم حذف كلمة المرور.")},
    {EXT("settings"), EXT("save_failed"),
     EXT("تعذّر حفظ الإعدادات، ولذلك لم تتغير كلمة المرور. لا تزال كلمة المرور السابقة سارية.")},

    {EXT("password"), EXT("info_unlock"), EXT("تم قفل الشاشة. الرجاء إدخال كلمة المرور الصحيحة لإلغاء قفلها.")},
    {EXT("password"), EXT("info_login"), EXT("الرجاء إدخال كلمة المرور الصحيحة ثم النقر فوق %ok للمتابعة.")},
    {EXT("password"), EXT("hint_base"), EXT("أدخل كلمة المرور")},
    {EXT("password"), EXT("hint_pwdwrong"), EXT("× كلمة المرور غير صحيحة")},
    {EXT("password"), EXT("unlock"), EXT("إلغاء ال&قفل")},
    {EXT("password"), EXT("options"), EXT("&خيارات »")},
    {EXT("password"), EXT("pwdhint"), EXT("&تلميح كلمة المرور")},
    {EXT("password"), EXT("capslock"), EXT("مفتاح Caps Lock قيد التشغيل.")},
    {EXT("password"), EXT("numlock"), EXT("مفتاح Num Lock متوقف.")},
    {EXT("password"), EXT("layout"), EXT("تخطيط لوحة المفاتيح: %0")},
    {EXT("password"), EXT("layout_change"), EXT("تخطيط لوحة المفاتيح: %0. انقر لتغييره.")},
    {EXT("password"), EXT("attempts_one"), EXT("محاولة واحدة خاطئة، في %0")},
    {EXT("password"), EXT("attempts"), EXT("عدد المحاولات الخاطئة: %0، آخرها في %1")},
    {EXT("password"), EXT("wait"), EXT("أعد المحاولة بعد %0 ث")},
    {EXT("password"), EXT("lockedby"), EXT("قفله %0 في %1")},
};

} // namespace

extern const Catalogue kArabicCatalogue = {EXT("ar"), EXT("العربية"), kEntries,
    sizeof(kEntries) / sizeof(kEntries[0])};
