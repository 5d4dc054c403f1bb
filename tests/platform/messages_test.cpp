#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/Cp1257.h"
#include "platform/Errors.h"
#include "platform/Globals.h"

namespace {

struct LanguageScope {
    explicit LanguageScope(const char* lang) : saved(kx::Language) { kx::Language = lang; }
    ~LanguageScope() { kx::Language = saved; }
    std::string saved;
};

std::multiset<std::string> Placeholders(std::string_view text) {
    std::multiset<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9')
            found.insert(std::string(text.substr(i, 2)));
    return found;
}

}  // namespace

TEST(MessageTable, EveryKeyHasBothTextsWithTheSamePlaceholdersInTheCodePage) {
    ASSERT_GT(kx::MessageCount(), 0u);
    std::set<std::string_view> keys;
    for (std::size_t i = 0; i < kx::MessageCount(); ++i) {
        const auto key = static_cast<kx::Msg>(i);
        const std::string_view name = kx::MessageKey(key);
        SCOPED_TRACE(std::string(name));
        EXPECT_TRUE(keys.insert(name).second);
        const std::string_view en = kx::MessageText(key, kx::Lang::English);
        const std::string_view lt = kx::MessageText(key, kx::Lang::Lithuanian);
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(lt.empty());
        EXPECT_EQ(Placeholders(en), Placeholders(lt));
        // The core keeps messages as Windows-1257 bytes.
        EXPECT_TRUE(kx::Utf8ToCp1257(en).has_value());
        EXPECT_TRUE(kx::Utf8ToCp1257(lt).has_value());
    }
}

TEST(MessageTable, OnlyLTExactlyGivesLithuanian) {
    {
        LanguageScope lt("LT");
        EXPECT_EQ(kx::MessageText(kx::Msg::TitleConfirm), "PATVIRTINKITE");
    }
    for (const char* other : {"EN", "lt", "", "DE"}) {
        LanguageScope scope(other);
        EXPECT_EQ(kx::MessageText(kx::Msg::TitleConfirm), "CONFIRM") << other;
    }
}

TEST(MessageTable, AFixedMessageLanguageOutranksTheProgramsLanguage) {
    LanguageScope en("EN");
    kx::SetMessageLang(kx::Lang::Lithuanian);  // kvadrix-tool in a Lithuanian environment
    EXPECT_EQ(kx::MessageText(kx::Msg::TitleError), "KLAIDA");
    EXPECT_EQ(kx::Language, "EN");
    kx::SetMessageLang(std::nullopt);
    EXPECT_EQ(kx::MessageText(kx::Msg::TitleError), "ERROR");
}

TEST(MessageTable, PlaceholdersAreFilledOnceAndMissingOnesStay) {
    EXPECT_EQ(kx::FillIn("%2 then %1", {"a", "b"}), "b then a");
    EXPECT_EQ(kx::FillIn("%1 and %2", {"100%1"}), "100%1 and %2");  // no second pass
    EXPECT_EQ(kx::FillIn("50% of %", {}), "50% of %");
}

TEST(MessageTable, CoreFailuresSpeakTheLanguageAsCodePageBytes) {
    LanguageScope lt("LT");
    const kx::FileOpenError e("/tmp/x.dat", kx::CpMessage(kx::Msg::FileIsFolder));
    EXPECT_EQ(kx::Cp1257ToUtf8(e.what()),
              "Nepavyko atidaryti failo „/tmp/x.dat“. Tai aplankas, o ne failas.");
    // The system's own text (UTF-8 in the user's locale) joins as code-page bytes.
    EXPECT_EQ(kx::SystemTextToCp1257("Nėra tokio failo ar aplanko"),
              kx::Cp1257("Nėra tokio failo ar aplanko"));
    EXPECT_EQ(kx::SystemTextToCp1257("Файл"), "????");
    EXPECT_EQ(kx::SystemTextToCp1257("\xE9t\xE9"), "\xE9t\xE9");  // not UTF-8: as it is
    // An argument's bytes go in as they are.
    EXPECT_EQ(kx::CpMessage(kx::Msg::ListIndexOutOfBounds, {"\xE0"}),
              kx::Cp1257("Sąrašo indeksas už ribų (ą)"));
}
