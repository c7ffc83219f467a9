// Every built-in language against the English catalogue, and the choice among them.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "lang/catalogue.h"
#include "lang/languagechoice.h"
#include "lang/mgtmlang.h"
#include "testtext.h"

namespace {

exstring KeyOf(const CatalogueEntry& entry) {
    return exstring(entry.section) + EXT("/") + entry.key;
}

std::map<exstring, exstring> TextsByKey(const Catalogue& catalogue) {
    std::map<exstring, exstring> texts;
    for (const CatalogueEntry& entry : catalogue)
        EXPECT_TRUE(texts.emplace(KeyOf(entry), entry.text).second) << "twice: " << KeyOf(entry).ToUtf8();
    return texts;
}

// What a translation must keep: placeholders, macros, "%%" and the file filter's separators.
std::multiset<exstring> Tokens(const exstring& text) {
    std::multiset<exstring> tokens;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '|') tokens.insert(EXT("|"));
        if (text[i] != '%' || i + 1 >= text.size()) continue;
        const bool digitOrPercent = text[i + 1] == '%' || (text[i + 1] >= '0' && text[i + 1] <= '9');
        const size_t length = digitOrPercent ? 2 : MacroLengthAt(text, i);
        if (length == 0) continue;
        tokens.insert(text.substr(i, length));
        i += length - 1;
    }
    return tokens;
}

// The character after each single '&' ("&&" is literal), and whether it is bracketed as "(&L)".
struct Mnemonic {
    exchar letter;
    bool bracketed;
};
std::vector<Mnemonic> Mnemonics(const exstring& text) {
    std::vector<Mnemonic> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const bool bracketed = i > 0 && text[i - 1] == '(' && i + 2 < text.size() && text[i + 2] == ')';
        found.push_back({text[i + 1], bracketed});
    }
    if (!text.empty() && text.back() == '&' && (text.size() < 2 || text[text.size() - 2] != '&'))
        found.push_back({0, false});
    return found;
}

// The texts that share a dialog, a menu or a message box; an access key must lead to one of them only.
const std::vector<std::vector<const exchar*>> kSharedWindows = {
    {EXT("main/locknow"), EXT("main/settings"), EXT("global/help")},
    {EXT("password/unlock"), EXT("password/options"), EXT("global/cancel")},
    {EXT("global/ok"), EXT("password/options"), EXT("global/cancel")},
    {EXT("settings/password"), EXT("settings/bgcolor"), EXT("settings/bgimage"), EXT("settings/appearance"),
     EXT("settings/language"), EXT("settings/useorgscreen"), EXT("settings/showclock"), EXT("settings/idlelock"),
     EXT("settings/lockonsleep"), EXT("settings/autostart")},
    {EXT("settings/bgcolor_sys"), EXT("settings/bgcolor_choose")},
    {EXT("settings/bgimage_none"), EXT("settings/bgimage_sys"), EXT("settings/bgimage_choose")},
    {EXT("settings/idle_never"), EXT("settings/idle_one"), EXT("settings/idle_minutes")},
    {EXT("main/locknow"), EXT("main/tray_settings"), EXT("settings/idlelock"), EXT("main/tray_exit")},
    {EXT("global/yes"), EXT("global/no"), EXT("global/cancel")},
};

bool EmbedsMacro(const exstring& text) {
    for (const exstring& token : Tokens(text))
        if (token.size() > 1 && token[1] != '%' && (token[1] < '0' || token[1] > '9') && token.size() < text.size())
            return true;
    return false;
}

// Each language keeps every English text's formatting, access keys (one per letter in a window) and macros.
TEST(Catalogues, EveryLanguageKeepsTheEnglishFormattingKeysAndMacros) {
    const std::map<exstring, exstring> english = TextsByKey(EnglishCatalogue());
    mgtMLang table;
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    for (const Catalogue* catalogue : std::vector<const Catalogue*>(catalogues, catalogues + count)) {
        SCOPED_TRACE(exstring(catalogue->tag).ToUtf8());
        const std::map<exstring, exstring> texts = TextsByKey(*catalogue);
        for (const auto& [key, text] : texts) EXPECT_EQ(english.count(key), 1u) << "extra " << key.ToUtf8();
        for (const auto& [key, englishText] : english) {
            SCOPED_TRACE(key.ToUtf8());
            const auto found = texts.find(key);
            ASSERT_TRUE(found != texts.end()) << "missing";
            const exstring& text = found->second;
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(Tokens(text), Tokens(englishText)) << text.ToUtf8();
            const std::vector<Mnemonic> mnemonics = Mnemonics(text);
            EXPECT_EQ(mnemonics.size(), Mnemonics(englishText).size()) << text.ToUtf8();
            for (const Mnemonic& m : mnemonics) {
                EXPECT_TRUE(m.letter != 0 && m.letter != ' ') << text.ToUtf8();
                EXPECT_TRUE(m.bracketed || exstring(catalogue->tag) != EXT("ja")) << text.ToUtf8();
            }
        }
        for (const std::vector<const exchar*>& window : kSharedWindows) {
            std::vector<std::pair<exstring, exstring>> taken;  // letter, key
            for (const exchar* key : window) {
                ASSERT_EQ(texts.count(key), 1u) << exstring(key).ToUtf8();
                for (const Mnemonic& m : Mnemonics(texts.at(key))) {
                    const exstring letter(1, m.letter);
                    for (const auto& [other, otherKey] : taken)
                        EXPECT_FALSE(letter.EqualsNoCase(other)) << exstring(key).ToUtf8() << " and "
                                                                 << otherKey.ToUtf8() << " share " << letter.ToUtf8();
                    taken.emplace_back(letter, key);
                }
            }
        }
        table.Load(*catalogue);
        for (const CatalogueEntry& entry : *catalogue) {
            const exstring shown = table.GetText(entry.section, entry.key, EXT("x"), EXT("y"));
            const std::string where = KeyOf(entry).ToUtf8() + ": " + shown.ToUtf8();
            for (const exstring& token : Tokens(shown)) EXPECT_EQ(token, exstring(EXT("|"))) << where;
            EXPECT_TRUE(!EmbedsMacro(entry.text) || shown.find('&') == exstring::npos) << where;
        }
    }
}

TEST(Catalogues, ChosenByTheWantedLanguageThenWindowsThenEnglish) {
    const struct {
        const exchar* wanted;
        std::vector<exstring> display;
        const exchar* chosen;
    } cases[] = {
        {EXT(""), {EXT("pt-PT")}, EXT("pt-BR")},
        {EXT(""), {EXT("zh-Hant-TW"), EXT("fr-CA"), EXT("de-DE")}, EXT("fr")},
        {EXT(""), {EXT("sr-Latn-RS")}, EXT("en")},
        {EXT("ja"), {EXT("de-DE")}, EXT("ja")},
        {EXT("PT-br"), {}, EXT("pt-BR")},
        {EXT("pl_PL"), {}, EXT("pl")},
        {EXT("-"), {EXT("es-419")}, EXT("es")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exstring(ChooseCatalogue(c.wanted, c.display).tag), exstring(c.chosen)) << exstring(c.wanted).ToUtf8();
}

} // namespace
