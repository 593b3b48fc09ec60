// The profile functions on text, case by case against what Windows does with the same file.
#include "core/settings/profile.h"

#include <gtest/gtest.h>

#include <string>

using namespace ocuvell;
using namespace std::string_literals;

namespace {

std::string read(std::string_view text, std::string_view section, std::string_view key,
                 std::size_t bufferSize = 256) {
    return profileReadText(text, section, key, key, bufferSize);
}

std::string write(std::string_view text, std::string_view section, std::string_view key,
                  const std::optional<std::string>& value) {
    std::optional<std::string> out = profileWriteText(text, section, key, value);
    EXPECT_TRUE(out.has_value()) << section << "/" << key;
    return out.value_or(std::string(text));
}

} // namespace

TEST(ProfileValues, WrittenExactlyAndReadWithBlanksAndOneQuotePairRemoved) {
    EXPECT_EQ(write("", "dsxx", "mei", "  \"45\"  "), "[dsxx]\r\nmei=  \"45\"  \r\n");
    EXPECT_EQ(read("[dsxx]\r\nmei=  \"45\"  \r\n", "dsxx", "mei"), "45");

    const std::string file = "[s]\r\n"
                             "a = \t padded \t\r\n"
                             "b=\" kept inside \"\r\n"
                             "c='single'\r\n"
                             "d=\"mismatched'\r\n"
                             "e=\"\"twice\"\"\r\n"
                             "f=\"\r\n"
                             "g=\"\"\r\n"
                             "h=\"open\r\n";
    EXPECT_EQ(read(file, "s", "a"), "padded");
    EXPECT_EQ(read(file, "s", "b"), " kept inside ");
    EXPECT_EQ(read(file, "s", "c"), "single");
    EXPECT_EQ(read(file, "s", "d"), "\"mismatched'");
    EXPECT_EQ(read(file, "s", "e"), "\"twice\"");
    EXPECT_EQ(read(file, "s", "f"), "\"");
    EXPECT_EQ(read(file, "s", "g"), "");
    EXPECT_EQ(read(file, "s", "h"), "\"open");
}

TEST(ProfileValues, SpacesTabsAndVerticalTabsAreTrimmedInnerBlanksKept) {
    const std::string file = "[s]\r\n"
                             "a=\v 12 \v\r\n"
                             "b= \t one \v two\t \r\n"
                             "\vc\v=\v\"quoted\"\v\r\n";
    EXPECT_EQ(read(file, "s", "a"), "12");
    EXPECT_EQ(read(file, "s", "b"), "one \v two");
    EXPECT_EQ(read(file, "s", "c"), "quoted");
}

TEST(ProfileValues, EmptyValueIsEmptyTextAndLinesWithoutEqualsAreNotKeys) {
    const std::string file = "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=a\r\n";
    EXPECT_EQ(read(file, "s", "name2"), "");
    EXPECT_EQ(read(file, "s", "name3"), "name3");
    EXPECT_EQ(read(file, "s", "name4"), "a");
    // A key added to such a file goes after the last real key line.
    EXPECT_EQ(write(file, "s", "name5", "val5"), file + "name5=val5\r\n");
}

TEST(ProfileValues, CommentsOnlyAtTheStartOfALine) {
    const std::string file = "[eye]\r\n;liangdu=9\r\n  ; rgbr=1\r\nrgbg=5 ; not a comment\r\n";
    EXPECT_EQ(read(file, "eye", "liangdu"), "liangdu");
    EXPECT_EQ(read(file, "eye", ";liangdu"), ";liangdu");
    EXPECT_EQ(read(file, "eye", "rgbr"), "rgbr");
    EXPECT_EQ(read(file, "eye", "rgbg"), "5 ; not a comment");
    // A comment is not a key line: a new key lands after the last key, not after a comment.
    EXPECT_EQ(write("[eye]\r\nrgbg=5\r\n; note\r\n", "eye", "rgbb", "0"),
              "[eye]\r\nrgbg=5\r\nrgbb=0\r\n; note\r\n");
}

TEST(ProfileValues, LongValuesAndSmallBuffersAreCut) {
    const std::string longValue(300, 'x');
    const std::string file = write("", "dsxx", "mei", longValue);
    EXPECT_EQ(read(file, "dsxx", "mei"), std::string(255, 'x'));
    EXPECT_EQ(read(file, "dsxx", "mei", 1000), longValue);
    EXPECT_EQ(read("[s]\r\nk=\"" + longValue + "\"\r\n", "s", "k"), std::string(255, 'x'));
    EXPECT_EQ(read("[s]\r\nk=" + std::string(255, 'y') + "\r\n", "s", "k"), std::string(255, 'y'));

    const std::string wine = "[section1]\r\nname1=val1\r\n";
    EXPECT_EQ(read(wine, "section1", "name1", 4), "val");
    EXPECT_EQ(read(wine, "section1", "name1", 5), "val1");
    EXPECT_EQ(read(wine, "section1", "name1", 1), "");
    EXPECT_EQ(read(wine, "section1", "name1", 0), "");
    EXPECT_EQ(read(wine, "section1", "nothere", 4), "not");
}

TEST(ProfileDefaults, TrailingSpacesCutLeadingKept) {
    EXPECT_EQ(profileReadText("", "s", "k", "default  ", 256), "default");
    EXPECT_EQ(profileReadText("", "s", "k", "one two  ", 256), "one two");
    EXPECT_EQ(profileReadText("", "s", "k", "  lead", 256), "  lead");
    EXPECT_EQ(profileReadText("", "s", "k", "", 256), "");
    // Missing file, section or key: the key's own name, as the program relies on.
    EXPECT_EQ(read("", "dsxx", "pdrun"), "pdrun");
    EXPECT_EQ(read("[eye]\r\npdrun=1\r\n", "dsxx", "pdrun"), "pdrun");
    EXPECT_EQ(read("[eye]\r\npdrun=1\r\n", "eye", "liangdu"), "liangdu");
}

TEST(ProfileNames, CaseAndSpacesOfNamesAreIgnored) {
    const std::string file = "  [ DsXx ]  \r\n  MEI  =  20  \r\n";
    EXPECT_EQ(read(file, "dsxx", "mei"), "20");
    EXPECT_EQ(read(file, "  dsxx ", " Mei  "), "20");
    // Only spaces are trimmed from the names passed in.
    EXPECT_EQ(profileReadText(file, "dsxx", "mei\t", "absent", 256), "absent");
    // The file's spelling of the section and the key stays.
    EXPECT_EQ(write(file, "dsxx", "mei", "25"), "  [ DsXx ]  \r\nMEI=25\r\n");
    EXPECT_EQ(write(file, " DSXX ", " xiuxi ", "5"), file + "xiuxi=5\r\n");
}

TEST(ProfileNames, NonAsciiBytesMatchExactly) {
    const std::string file = "[\xC9\xE8\xD6\xC3]\r\n\xC1\xC1=1\r\n"; // GBK text
    EXPECT_EQ(read(file, "\xC9\xE8\xD6\xC3", "\xC1\xC1"), "1");
    EXPECT_EQ(read(file, "\xE9\xE8\xD6\xC3", "\xC1\xC1"), "\xC1\xC1");
}

TEST(ProfileSearch, FirstSectionAndFirstKeyWin) {
    const std::string file =
        "[eye]\r\nrgbr=1\r\nRGBR=2\r\n[dsxx]\r\nmei=3\r\n[EYE]\r\nrgbr=4\r\nrgbg=5\r\n";
    EXPECT_EQ(read(file, "eye", "rgbr"), "1");
    EXPECT_EQ(read(file, "eye", "rgbg"), "rgbg");
    EXPECT_EQ(write(file, "eye", "rgbr", "9"),
              "[eye]\r\nrgbr=9\r\nRGBR=2\r\n[dsxx]\r\nmei=3\r\n[EYE]\r\nrgbr=4\r\nrgbg=5\r\n");
    EXPECT_EQ(
        write(file, "eye", "rgbg", "7"),
        "[eye]\r\nrgbr=1\r\nRGBR=2\r\nrgbg=7\r\n[dsxx]\r\nmei=3\r\n[EYE]\r\nrgbr=4\r\nrgbg=5\r\n");
    EXPECT_EQ(write(file, "eye", "rgbr", std::nullopt),
              "[eye]\r\nRGBR=2\r\n[dsxx]\r\nmei=3\r\n[EYE]\r\nrgbr=4\r\nrgbg=5\r\n");
}

TEST(ProfileSearch, KeysBeforeTheFirstSectionBelongToNone) {
    const std::string file =
        "\r\nkey=val_no_section\r\n[]\r\nkey=val_e_section\r\n[s]\r\n=val_no_key\r\n";
    EXPECT_EQ(read(file, "s", "key"), "key");
    EXPECT_EQ(read(file, "", "key"), "val_e_section");
    EXPECT_EQ(read(file, "s", ""), "val_no_key");
}

TEST(ProfileSearch, SectionNameEndsAtTheFirstBracketOrAtTheLineEnd) {
    // A header without its closing bracket still opens its section.
    const std::string open = "[dsxx   \r\nmei=30\r\n\t[ eye \t\r\npdrun=1\r\n";
    EXPECT_EQ(read(open, "dsxx", "mei"), "30");
    EXPECT_EQ(read(open, "eye", "pdrun"), "1");
    EXPECT_EQ(read(open, "dsxx", "pdrun"), "pdrun");
    EXPECT_EQ(write(open, "dsxx", "xiuxi", "5"),
              "[dsxx   \r\nmei=30\r\nxiuxi=5\r\n\t[ eye \t\r\npdrun=1\r\n");
    EXPECT_EQ(write(open, "eye", "pdrun", "0"), "[dsxx   \r\nmei=30\r\n\t[ eye \t\r\npdrun=0\r\n");
    // A lone bracket is a section without a name, as "[]" is.
    EXPECT_EQ(read("[\r\nk=1\r\n", "", "k"), "1");

    const std::string twice = "[sec]whoops]\r\nk=1\r\n[a=b\r\nk=2\r\n";
    EXPECT_EQ(read(twice, "sec", "k"), "1");
    EXPECT_EQ(read(twice, "sec]whoops", "k"), "k");
    EXPECT_EQ(read(twice, "a=b", "k"), "2");
    EXPECT_EQ(write(twice, "sec", "k", "3"), "[sec]whoops]\r\nk=3\r\n[a=b\r\nk=2\r\n");
}

TEST(ProfileSearch, LineBreaksOfEveryKind) {
    EXPECT_EQ(read("[s]\rname1=val1\rname2=\"val2\"\r", "s", "name2"), "val2");
    EXPECT_EQ(read("[s]\nname1=val1\n", "s", "name1"), "val1");
    EXPECT_EQ(read("[s]\r\n\r\n\nname1=val1", "s", "name1"), "val1");
    // A replaced line keeps its own line break.
    EXPECT_EQ(write("[s]\nk=1\nj=2", "s", "k", "5"), "[s]\nk=5\nj=2");
    EXPECT_EQ(write("[s]\nk=1\nj=2", "s", "j", "5"), "[s]\nk=1\nj=5");
}

// Notepad's UTF-8 byte-order mark: read through, as Windows does, and kept on every write.
TEST(ProfileSearch, AByteOrderMarkBeforeTheFirstSection) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(read(bom + "[dsxx]\r\nmei=30\r\n", "dsxx", "mei"), "30");
    EXPECT_EQ(write(bom + "[dsxx]\r\nmei=30\r\n", "dsxx", "mei", "31"),
              bom + "[dsxx]\r\nmei=31\r\n");
    // Only at the very start: elsewhere the bytes are part of a name.
    EXPECT_EQ(read("\r\n" + bom + "[dsxx]\r\nmei=30\r\n", "dsxx", "mei"), "mei");
    // A file of the mark alone is empty: the new section needs no line break before it.
    EXPECT_EQ(write(bom, "eye", "pdrun", "1"), bom + "[eye]\r\npdrun=1\r\n");
}

TEST(ProfileWrite, BuildsUpAFileAsWindowsDoes) {
    std::string file;
    file = write(file, "App1", "key1", "string1");
    file = write(file, "App1", "key2", "string2");
    file = write(file, "App1", "key3", "string3");
    file = write(file, "App2", "key4", "string4");
    file = write(file, "App3", "key5", "string5");
    EXPECT_EQ(file, "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n"
                    "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
    file = write(file, "App1", "key2", std::nullopt);
    EXPECT_EQ(file, "[App1]\r\nkey1=string1\r\nkey3=string3\r\n"
                    "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
    EXPECT_EQ(write(file, "App1", "key2", std::nullopt), file);
    // Removing the last key leaves the section header.
    EXPECT_EQ(write("[App3]\r\nkey5=string5\r\n", "App3", "key5", std::nullopt), "[App3]\r\n");
    EXPECT_EQ(write("", "App", "key", ""), "[App]\r\nkey=\r\n");
    EXPECT_EQ(write("", "App", "key", std::nullopt), "");
}

TEST(ProfileWrite, NewKeysAndSectionsAreAppendedWithoutTouchingOtherLines) {
    // After the section's last key line, before the blank line and the comment after it.
    EXPECT_EQ(write("[dsxx]\r\nmei=45\r\n\r\n; eye\r\n[eye]\r\n", "dsxx", "xiuxi", "5"),
              "[dsxx]\r\nmei=45\r\nxiuxi=5\r\n\r\n; eye\r\n[eye]\r\n");
    // A section without keys gets it right after its header.
    EXPECT_EQ(write("[eye]\n\n[dsxx]\n", "eye", "pdrun", "1"), "[eye]\npdrun=1\r\n\n[dsxx]\n");
    // The last line of the file without a line break gets one first.
    EXPECT_EQ(write("[eye]", "eye", "pdrun", "1"), "[eye]\r\npdrun=1\r\n");
    EXPECT_EQ(write("[eye]\r\nrgbr=1", "eye", "rgbg", "2"), "[eye]\r\nrgbr=1\r\nrgbg=2\r\n");
    // A new section at the end: no blank line before it, a CR LF when the file lacks one.
    EXPECT_EQ(write("[dsxx]\r\nmei=45", "eye", "rgbb", "-3"),
              "[dsxx]\r\nmei=45\r\n[eye]\r\nrgbb=-3\r\n");
    EXPECT_EQ(write("[dsxx]\nmei=45\n", "eye", "rgbb", "-3"),
              "[dsxx]\nmei=45\n[eye]\r\nrgbb=-3\r\n");
    EXPECT_EQ(write("[dsxx]\rmei=45\r", "eye", "rgbb", "-3"),
              "[dsxx]\rmei=45\r[eye]\r\nrgbb=-3\r\n");
}

TEST(ProfileWrite, EveryUntouchedByteSurvives) {
    const std::string before = "Data \0 before \0 first \0 section\r\n"s;
    const std::string file = before + "[section1]\r\n  key1 = string1  \r\nunknown=\t7\r\n"
                                      "[other]\r\n; comment\r\nx\r\n";
    EXPECT_EQ(write(file, "section1", "key1", "string1"),
              before +
                  "[section1]\r\nkey1=string1\r\nunknown=\t7\r\n[other]\r\n; comment\r\nx\r\n");
    EXPECT_EQ(write(file, "section1", "unknown", std::nullopt),
              before + "[section1]\r\n  key1 = string1  \r\n[other]\r\n; comment\r\nx\r\n");
    EXPECT_EQ(write(file, "other", "y", "1"),
              before + "[section1]\r\n  key1 = string1  \r\nunknown=\t7\r\n"
                       "[other]\r\ny=1\r\n; comment\r\nx\r\n");
}

TEST(ProfileWrite, RefusesWhatWouldNotReadBack) {
    EXPECT_FALSE(profileWriteText("", "", "k", "v"));
    EXPECT_FALSE(profileWriteText("", "s", "  ", "v"));
    EXPECT_FALSE(profileWriteText("", "s", "k", "1\r\n[eye]\r\npdrun=1"));
    EXPECT_FALSE(profileWriteText("", "s", "k=x", "v"));
    EXPECT_FALSE(profileWriteText("", "s", ";k", "v"));
    EXPECT_FALSE(profileWriteText("", "s]", "k", "v"));
    EXPECT_FALSE(profileWriteText("", "s\n", "k", "v"));
    EXPECT_FALSE(profileWriteText("", "s", "k\r", std::nullopt));
    EXPECT_FALSE(profileWriteText("", "s", "[k", "v"));
    // The file drops blanks around names that a caller's name keeps.
    EXPECT_FALSE(profileWriteText("", "s", "k\t", "v"));
    EXPECT_FALSE(profileWriteText("", "\vs", "k", "v"));
    EXPECT_FALSE(profileStorable("s", "k", "a\nb"));
    EXPECT_TRUE(profileStorable(" s ", " k ", "\t a \v"));
    EXPECT_TRUE(profileStorable("s", "k", std::nullopt));
    // Names and values end at a NUL, as the C strings Windows receives do.
    EXPECT_EQ(write("", "s\0junk"s, "k\0junk"s, "v\0junk"s), "[s]\r\nk=v\r\n");
}
